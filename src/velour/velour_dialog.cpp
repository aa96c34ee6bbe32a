#include "velour/velour_dialog.h"

#include "velour/velour_paint.h"

AbstractDialog::AbstractDialog(UINT templateId, HWND parent) : win32::Dialog(templateId, parent) {}

BOOL AbstractDialog::OnInitDialog() {
    // Keyboard focus is always shown in the skin, not only after the first key press.
    ::SendMessageW(hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return TRUE;
}

bool AbstractDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (velour::IsCtlColorMessage(message)) {
        // The dialog base hands this result back as the brush itself.
        HBRUSH brush =
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message - WM_CTLCOLORMSGBOX);
        if (!brush)
            return false;
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    if (message != WM_ERASEBKGND || !OnEraseBackground(reinterpret_cast<HDC>(wParam)))
        return false;
    result = 1;
    return true;
}

HBRUSH AbstractDialog::OnCtlColor(HDC, HWND, UINT) {
    return nullptr;
}

VelourDialog::VelourDialog(UINT templateId, HWND parent)
    : AbstractDialog(templateId, parent), pageBrush_(::CreateSolidBrush(velour::kPage)),
      fieldBrush_(::CreateSolidBrush(velour::kField)) {}

HBRUSH VelourDialog::OnCtlColor(HDC dc, HWND, UINT controlType) {
    switch (controlType) {
    case CTLCOLOR_EDIT:
    case CTLCOLOR_LISTBOX:
        ::SetTextColor(dc, velour::kText);
        ::SetBkColor(dc, velour::kField);
        return fieldBrush_.get();
    default:
        ::SetTextColor(dc, velour::kText);
        ::SetBkColor(dc, velour::kPage);
        ::SetBkMode(dc, TRANSPARENT);
        return pageBrush_.get();
    }
}

bool VelourDialog::OnEraseBackground(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, pageBrush_.get());
    return true;
}

VelourDialog2::VelourDialog2(UINT templateId, HWND parent) : VelourDialog(templateId, parent) {}

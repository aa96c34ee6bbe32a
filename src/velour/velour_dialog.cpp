#include "velour/velour_dialog.h"

#include <commctrl.h>

#include "velour/velour_paint.h"

AbstractDialog::AbstractDialog(UINT templateId, HWND parent) : win32::Dialog(templateId, parent) {}

AbstractDialog::~AbstractDialog() {
    if (hooked_)
        ::RemoveWindowSubclass(hooked_, ColorHook, reinterpret_cast<UINT_PTR>(this));
}

BOOL AbstractDialog::OnInitDialog() {
    InstallColorHook();
    // Keyboard focus is always shown in the skin, not only after the first key press.
    ::SendMessageW(hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return TRUE;
}

bool AbstractDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    // A derived dialog that does not chain OnInitDialog still gets its colours.
    InstallColorHook();
    return false;
}

void AbstractDialog::InstallColorHook() {
    if (hooked_ || !hwnd())
        return;
    if (::SetWindowSubclass(hwnd(), ColorHook, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        hooked_ = hwnd();
}

HBRUSH AbstractDialog::OnCtlColor(HDC, HWND, UINT) {
    return nullptr;
}

LRESULT CALLBACK AbstractDialog::ColorHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<AbstractDialog*>(data);
    try {
        switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            HBRUSH brush = self->OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                            message - WM_CTLCOLORMSGBOX);
            if (brush)
                return reinterpret_cast<LRESULT>(brush);
            break;
        }
        case WM_ERASEBKGND:
            if (self->OnEraseBackground(reinterpret_cast<HDC>(wParam)))
                return 1;
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, ColorHook, id);
            self->hooked_ = nullptr;
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
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

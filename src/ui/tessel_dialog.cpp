#include "ui/tessel_dialog.h"

#include "velour/velour_controls.h"

#include <cwchar>

bool CTesselDialog::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        HWND focused = ::GetFocus();
        const wchar_t* runtimeClass = VelourRuntimeClassName(focused);
        if (runtimeClass && std::wcscmp(runtimeClass, L"VelourButton2") == 0) {
            ::PostMessageW(hwnd(), WM_COMMAND, WPARAM(::GetDlgCtrlID(focused)), LPARAM(focused));
            return true;
        }
    }
    return VelourDialog2::PreTranslateMessage(msg);
}

bool CTesselDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Only a maximised dialog is put back: a minimised one comes back at its normal place by itself, and
    // rewriting its placement here would undo the minimising.
    if (message == WM_WINDOWPOSCHANGING && !adjustingPlacement_ && ::IsZoomed(hwnd())) {
        auto* change = reinterpret_cast<WINDOWPOS*>(lParam);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        if (!(change->flags & SWP_NOMOVE) && ::GetWindowPlacement(hwnd(), &placement)) {
            const RECT& normal = placement.rcNormalPosition;
            change->x = normal.left;
            change->y = normal.top;
            change->cx = normal.right - normal.left;
            change->cy = normal.bottom - normal.top;
            placement.showCmd = SW_SHOWNORMAL;
            placement.ptMinPosition = {normal.left, normal.top};
            placement.ptMaxPosition = {normal.left, normal.top};
            adjustingPlacement_ = true;
            ::SetWindowPlacement(hwnd(), &placement);
            adjustingPlacement_ = false;
        }
    }
    return VelourDialog2::OnMessage(message, wParam, lParam, result);
}

#include "velour/velour_controls.h"

#include <commctrl.h>
#include <optional>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

void VelourFramedControl::Velour() {
    HWND control = hwnd();
    if (!control || skinned_)
        return;
    skinned_ = true;
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(control, GWL_EXSTYLE);
    // The frame is drawn over the control's own border, so a control without one is given one.
    if (!(style & WS_BORDER) && !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE))) {
        ::SetWindowLongW(control, GWL_STYLE, style | WS_BORDER);
        ::SetWindowPos(control, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    OnVelour();
    // A hidden control gets its frame painted when it is shown.
    if (::IsWindowVisible(control))
        ::RedrawWindow(control, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void VelourFramedControl::PaintFrame(HDC given) {
    HWND control = hwnd();
    std::optional<win32::WindowDc> own;
    if (!given)
        own.emplace(control, win32::WindowDc::Area::WholeWindow);
    HDC dc = given ? given : own->get();
    if (!dc)
        return;
    RECT window;
    ::GetWindowRect(control, &window);
    ::OffsetRect(&window, -window.left, -window.top);
    const bool enabled = ::IsWindowEnabled(control);
    COLORREF border = !enabled ? kDisabledText : HasFocus(control) ? kSelectionDark : kEdge;
    win32::FrameSolid(dc, window, border, 1);
    if (::GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        ::InflateRect(&window, -1, -1);
        win32::FrameSolid(dc, window, enabled ? kField : kPage, 1);
    }
}

LRESULT VelourFramedControl::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!skinned_)
        return VelourControl::HookProc(message, wParam, lParam);
    switch (message) {
    case WM_NCPAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: {
        LRESULT result = Default(message, wParam, lParam);
        PaintFrame();
        return result;
    }
    case WM_PRINT: {
        LRESULT result = Default(message, wParam, lParam);
        if (lParam & PRF_NONCLIENT)
            PaintFrame(reinterpret_cast<HDC>(wParam));
        return result;
    }
    default:
        return VelourControl::HookProc(message, wParam, lParam);
    }
}

void VelourListCtrl::OnVelour() {
    parentHook_.Hook(::GetParent(hwnd()));
}

void VelourListCtrl::OnUnhooking() {
    parentHook_.Unhook();
    VelourFramedControl::OnUnhooking();
}

LRESULT VelourListCtrl::ParentHook::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (message != WM_NOTIFY || !header || header->hwndFrom != list_.hwnd() || header->code != NM_CUSTOMDRAW)
        return Default(message, wParam, lParam);
    // The parent's own custom drawing comes first; the skin only fills in what it leaves to the list.
    LRESULT parentAnswer = Default(message, wParam, lParam);
    if (parentAnswer != CDRF_DODEFAULT)
        return parentAnswer;
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        HWND list = list_.hwnd();
        const int item = int(draw->nmcd.dwItemSpec);
        const bool selected = ::SendMessageW(list, LVM_GETITEMSTATE, WPARAM(item), LVIS_SELECTED) & LVIS_SELECTED;
        const bool showSelection = HasFocus(list) || (::GetWindowLongW(list, GWL_STYLE) & LVS_SHOWSELALWAYS);
        if (selected && showSelection) {
            draw->clrTextBk = HasFocus(list) ? kSelectionLight : kPage;
            draw->clrText = kText;
            // Without this the list paints its own highlight over the colours chosen here.
            draw->nmcd.uItemState &= ~UINT(CDIS_SELECTED);
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

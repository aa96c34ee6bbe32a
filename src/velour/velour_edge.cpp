#include "velour/velour_edge.h"

#include <algorithm>
#include <optional>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

bool VelourEdge::HookWindow(HWND window) {
    if (!Hook(window))
        return false;
    // The edge lies on the window's border; a window without one gets a one-pixel border to carry it.
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    if (!(style & WS_BORDER) && !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE))) {
        ::SetWindowLongW(window, GWL_STYLE, style | WS_BORDER);
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A hidden window gets its edge painted when it is shown.
    if (::IsWindowVisible(window))
        ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return true;
}

LRESULT VelourEdge::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = Default(message, wParam, lParam);
    if (message == WM_NCPAINT)
        PaintEdge();
    return result;
}

void VelourEdge::PaintEdge() {
    win32::WindowDc dc(hookedWindow(), win32::WindowDc::Area::WholeWindow);
    if (!dc.get())
        return;
    RECT window;
    ::GetWindowRect(hookedWindow(), &window);
    ::OffsetRect(&window, -window.left, -window.top);
    win32::FrameSolid(dc.get(), window, kEdge, 1);
    if (::GetWindowLongW(hookedWindow(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        ::InflateRect(&window, -1, -1);
        win32::FrameSolid(dc.get(), window, kField, 1);
    }
}

bool AbstractScrollBarPaintHook::HookWindow(HWND window) {
    if (!Hook(window))
        return false;
    if (::IsWindowVisible(window))
        ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return true;
}

ULONGLONG AbstractScrollBarPaintHook::ScrollState() const {
    ULONGLONG value = 1469598103934665603ull;
    auto mix = [&](ULONGLONG part) { value = (value ^ part) * 1099511628211ull; };
    for (LONG object : {OBJID_VSCROLL, OBJID_HSCROLL}) {
        SCROLLBARINFO info{};
        info.cbSize = sizeof(info);
        if (!::GetScrollBarInfo(hookedWindow(), object, &info))
            continue;
        mix(ULONGLONG(info.xyThumbTop));
        mix(ULONGLONG(info.xyThumbBottom));
        mix(ULONGLONG(info.rcScrollBar.right - info.rcScrollBar.left));
        mix(ULONGLONG(info.rcScrollBar.bottom - info.rcScrollBar.top));
        for (DWORD state : info.rgstate)
            mix(state);
    }
    return value;
}

LRESULT AbstractScrollBarPaintHook::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (painting_)
        return Default(message, wParam, lParam);
    LRESULT result = Default(message, wParam, lParam);
    switch (message) {
    case WM_NCPAINT:
        PaintScrollBars();
        break;
    case WM_PRINT:
        if (lParam & PRF_NONCLIENT)
            PaintScrollBars(reinterpret_cast<HDC>(wParam));
        break;
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_NCDESTROY:
        break;
    default:
        // The system redraws scroll bars straight to the screen when their range or position changes; paint
        // over them again afterwards. A hidden window draws nothing, and is painted whole when shown.
        if (::IsWindowVisible(hookedWindow()) && ScrollState() != lastState_)
            PaintScrollBars();
        break;
    }
    return result;
}

void AbstractScrollBarPaintHook::PaintScrollBars(HDC given) {
    painting_ = true;
    HWND window = hookedWindow();
    lastState_ = ScrollState();
    RECT windowRect;
    ::GetWindowRect(window, &windowRect);
    std::optional<win32::WindowDc> own;
    if (!given)
        own.emplace(window, win32::WindowDc::Area::WholeWindow);
    HDC dc = given ? given : own->get();
    RECT vertical{}, horizontal{};
    bool hasVertical = false, hasHorizontal = false;
    for (LONG object : {OBJID_VSCROLL, OBJID_HSCROLL}) {
        SCROLLBARINFO info{};
        info.cbSize = sizeof(info);
        if (!dc || !::GetScrollBarInfo(window, object, &info))
            continue;
        if (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN))
            continue;
        RECT bar = info.rcScrollBar;
        ::OffsetRect(&bar, -windowRect.left, -windowRect.top);
        if (bar.right <= bar.left || bar.bottom <= bar.top)
            continue;
        const bool isVertical = object == OBJID_VSCROLL;
        (isVertical ? vertical : horizontal) = bar;
        (isVertical ? hasVertical : hasHorizontal) = true;
        PaintScrollBar(dc, bar, info, isVertical);
        if (isVertical && markFocus_ && ::GetFocus() == window && info.xyThumbBottom > info.xyThumbTop) {
            RECT thumb = {bar.left + 4, bar.top + info.xyThumbTop + 2, bar.right - 4, bar.top + info.xyThumbBottom - 2};
            ::DrawFocusRect(dc, &thumb);
        }
    }
    if (hasVertical && hasHorizontal)
        PaintSizeBox(dc, {vertical.left, horizontal.top, vertical.right, horizontal.bottom});
    painting_ = false;
}

void VelourScrollBarPaintHook::PaintScrollBar(HDC dc, const RECT& bar, const SCROLLBARINFO& info, bool vertical) {
    const bool disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
    const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    // The arrow buttons are as long as the system's scroll bars make them (Wine reports the thumb's length as
    // dxyLineButton).
    const int arrow = std::min(::GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL), length / 2);
    win32::FillSolid(dc, bar, kPage);

    RECT first = bar, second = bar;
    if (vertical) {
        first.bottom = bar.top + arrow;
        second.top = bar.bottom - arrow;
    } else {
        first.right = bar.left + arrow;
        second.left = bar.right - arrow;
    }
    COLORREF glyph = disabled ? kDisabledText : kText;
    const int line = Scale(hookedWindow(), 1), inset = Scale(hookedWindow(), 2);
    if (arrow > 0) {
        DrawButtonFace(dc, first, (info.rgstate[1] & STATE_SYSTEM_PRESSED) != 0, false, kEdge, line);
        DrawButtonFace(dc, second, (info.rgstate[5] & STATE_SYSTEM_PRESSED) != 0, false, kEdge, line);
        DrawArrow(dc, first, vertical ? Arrow::Up : Arrow::Left, glyph);
        DrawArrow(dc, second, vertical ? Arrow::Down : Arrow::Right, glyph);
    }
    // The thumb's position is given from the start of the bar.
    if (!disabled && info.xyThumbBottom > info.xyThumbTop && !(info.rgstate[3] & STATE_SYSTEM_INVISIBLE)) {
        RECT thumb = bar;
        if (vertical) {
            thumb.top = bar.top + info.xyThumbTop;
            thumb.bottom = bar.top + info.xyThumbBottom;
            ::InflateRect(&thumb, -inset, 0);
        } else {
            thumb.left = bar.left + info.xyThumbTop;
            thumb.right = bar.left + info.xyThumbBottom;
            ::InflateRect(&thumb, 0, -inset);
        }
        const bool pressed = (info.rgstate[3] & STATE_SYSTEM_PRESSED) != 0;
        win32::FillSolid(dc, thumb, pressed ? kSelectionDark : kSelectionLight);
        win32::FrameSolid(dc, thumb, kEdge, line);
    }
}

void VelourScrollBarPaintHook::PaintSizeBox(HDC dc, const RECT& box) {
    win32::FillSolid(dc, box, kPage);
}

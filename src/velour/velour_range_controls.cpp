#include "velour/velour_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

// ---- Slider ----

bool VelourSliderCtrl::DrawsFace() const {
    return true;
}

ULONGLONG VelourSliderCtrl::FaceState() {
    HWND slider = hwnd();
    return Pack({ULONGLONG(::SendMessageW(slider, TBM_GETPOS, 0, 0)),
                 ULONGLONG(::SendMessageW(slider, TBM_GETRANGEMIN, 0, 0)),
                 ULONGLONG(::SendMessageW(slider, TBM_GETRANGEMAX, 0, 0)),
                 ULONGLONG(::SendMessageW(slider, TBM_GETNUMTICS, 0, 0)), ULONGLONG(HasFocus(slider)),
                 ULONGLONG(::IsWindowEnabled(slider)), ULONGLONG(::GetCapture() == slider), ULONGLONG(hot())});
}

bool VelourSliderCtrl::MayChangeFace(UINT message, WPARAM wParam) const {
    switch (message) {
    case TBM_GETPOS:
    case TBM_GETRANGEMIN:
    case TBM_GETRANGEMAX:
    case TBM_GETTIC:
    case TBM_GETPTICS:
    case TBM_GETTICPOS:
    case TBM_GETNUMTICS:
    case TBM_GETSELSTART:
    case TBM_GETSELEND:
    case TBM_GETPAGESIZE:
    case TBM_GETLINESIZE:
    case TBM_GETTHUMBRECT:
    case TBM_GETCHANNELRECT:
    case TBM_GETTHUMBLENGTH:
    case TBM_GETTOOLTIPS:
    case TBM_GETBUDDY:
        return false;
    default:
        return VelourControl::MayChangeFace(message, wParam);
    }
}

void VelourSliderCtrl::PaintFace(HDC dc, const RECT& client) {
    HWND slider = hwnd();
    const LONG style = ::GetWindowLongW(slider, GWL_STYLE);
    const bool vertical = (style & TBS_VERT) != 0;
    const bool enabled = ::IsWindowEnabled(slider);
    const int line = Scaled(1);
    ::FillRect(dc, &client, ParentBackground(slider, dc, WM_CTLCOLORSTATIC));

    RECT channel{}, thumb{};
    ::SendMessageW(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    ::SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    // The channel rectangle is reported in horizontal terms even for vertical sliders.
    if (vertical && channel.right - channel.left > channel.bottom - channel.top)
        channel = {channel.top, channel.left, channel.bottom, channel.right};
    // A slim channel centred on the thumb, whatever thickness the control chose.
    const int half = std::max(2, Scaled(2));
    if (vertical) {
        int cx = (thumb.left + thumb.right) / 2;
        channel.left = cx - half;
        channel.right = cx + half;
    } else {
        int cy = (thumb.top + thumb.bottom) / 2;
        channel.top = cy - half;
        channel.bottom = cy + half;
    }
    win32::FillSolid(dc, channel, enabled ? kField : kPage);
    win32::FrameSolid(dc, channel, enabled ? kEdge : kDisabledText, line);

    if (!(style & TBS_NOTICKS)) {
        const int count = int(::SendMessageW(slider, TBM_GETNUMTICS, 0, 0));
        const int length = Scaled(4);
        auto drawTick = [&](int at) {
            const bool before = vertical ? (style & (TBS_LEFT | TBS_BOTH)) != 0 : (style & (TBS_TOP | TBS_BOTH)) != 0;
            const bool after =
                vertical ? !(style & TBS_LEFT) || (style & TBS_BOTH) : !(style & TBS_TOP) || (style & TBS_BOTH);
            const int gap = Scaled(2);
            if (vertical) {
                if (after)
                    win32::FillSolid(dc, {thumb.right + gap, at, thumb.right + gap + length, at + line}, kEdge);
                if (before)
                    win32::FillSolid(dc, {thumb.left - gap - length, at, thumb.left - gap, at + line}, kEdge);
            } else {
                if (after)
                    win32::FillSolid(dc, {at, thumb.bottom + gap, at + line, thumb.bottom + gap + length}, kEdge);
                if (before)
                    win32::FillSolid(dc, {at, thumb.top - gap - length, at + line, thumb.top - gap}, kEdge);
            }
        };
        const int thumbHalf = vertical ? (thumb.bottom - thumb.top) / 2 : (thumb.right - thumb.left) / 2;
        const int start = (vertical ? channel.top : channel.left) + thumbHalf;
        const int end = (vertical ? channel.bottom : channel.right) - thumbHalf - 1;
        drawTick(start);
        drawTick(end);
        for (int i = 0; i + 2 < count; ++i) {
            LRESULT at = ::SendMessageW(slider, TBM_GETTICPOS, WPARAM(i), 0);
            if (at >= 0)
                drawTick(int(at));
        }
    }

    const bool pressed = ::GetCapture() == slider;
    if (!(style & TBS_NOTHUMB)) {
        COLORREF face = !enabled ? kPage : pressed ? kSelectionDark : kSelectionLight;
        win32::FillSolid(dc, thumb, face);
        win32::FrameSolid(dc, thumb, enabled ? (hot() || pressed ? kSelectionDark : kEdge) : kDisabledText, line);
        if (enabled && !pressed) {
            RECT highlight{thumb.left + line, thumb.top + line, thumb.right - line, thumb.top + 2 * line};
            win32::FillSolid(dc, highlight, kField);
        }
    }
    if (HasFocus(slider))
        DrawFocus(dc, client);
}

// ---- Spin button ----

bool VelourSpinButtonCtrl::DrawsFace() const {
    return true;
}

namespace {
// Which half of a spin button the pressed mouse is on: 0 none, 1 first (up/left), 2 second.
int PressedHalf(HWND spin, bool horizontal) {
    if (::GetCapture() != spin || ::GetKeyState(VK_LBUTTON) >= 0)
        return 0;
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::ScreenToClient(spin, &cursor);
    RECT client;
    ::GetClientRect(spin, &client);
    if (horizontal)
        return cursor.x < (client.left + client.right) / 2 ? 1 : 2;
    return cursor.y < (client.top + client.bottom) / 2 ? 1 : 2;
}
} // namespace

ULONGLONG VelourSpinButtonCtrl::FaceState() {
    HWND spin = hwnd();
    const bool horizontal = (::GetWindowLongW(spin, GWL_STYLE) & UDS_HORZ) != 0;
    return Pack({ULONGLONG(PressedHalf(spin, horizontal)), ULONGLONG(::IsWindowEnabled(spin)), ULONGLONG(hot())});
}

void VelourSpinButtonCtrl::PaintFace(HDC dc, const RECT& client) {
    HWND spin = hwnd();
    const bool horizontal = (::GetWindowLongW(spin, GWL_STYLE) & UDS_HORZ) != 0;
    const bool enabled = ::IsWindowEnabled(spin);
    const int pressed = PressedHalf(spin, horizontal);
    ::FillRect(dc, &client, ParentBackground(spin, dc, WM_CTLCOLORSTATIC));
    RECT first = client, second = client;
    if (horizontal) {
        first.right = second.left = (client.left + client.right) / 2;
    } else {
        first.bottom = second.top = (client.top + client.bottom) / 2;
    }
    const int line = Scaled(1);
    COLORREF border = enabled ? (hot() ? kSelectionDark : kEdge) : kDisabledText;
    DrawButtonFace(dc, first, pressed == 1, hot() && enabled, border, line);
    DrawButtonFace(dc, second, pressed == 2, hot() && enabled, border, line);
    COLORREF arrow = enabled ? kText : kDisabledText;
    DrawArrow(dc, first, horizontal ? Arrow::Left : Arrow::Up, arrow);
    DrawArrow(dc, second, horizontal ? Arrow::Right : Arrow::Down, arrow);
}

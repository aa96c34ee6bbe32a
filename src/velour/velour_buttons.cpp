#include "velour/velour_controls.h"

#include <algorithm>
#include <string>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

namespace {
enum class ButtonKind { Push, Check, Radio, Group, Other };

ButtonKind KindOf(HWND button) {
    LONG style = ::GetWindowLongW(button, GWL_STYLE);
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return ButtonKind::Push;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return (style & BS_PUSHLIKE) ? ButtonKind::Push : ButtonKind::Check;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return (style & BS_PUSHLIKE) ? ButtonKind::Push : ButtonKind::Radio;
    case BS_GROUPBOX:
        return ButtonKind::Group;
    default:
        return ButtonKind::Other;
    }
}

UINT TextFormatFor(LONG style, UINT defaultAlign) {
    UINT format = DT_NOCLIP;
    switch (style & BS_CENTER) {
    case BS_LEFT:
        format |= DT_LEFT;
        break;
    case BS_RIGHT:
        format |= DT_RIGHT;
        break;
    case BS_CENTER:
        format |= DT_CENTER;
        break;
    default:
        format |= defaultAlign;
        break;
    }
    format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    return format;
}

// Draws text in rect with the format, centring multi-line text vertically as the standard button does.
RECT DrawLabel(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    RECT measured = rect;
    ::DrawTextW(dc, text.c_str(), int(text.size()), &measured, format | DT_CALCRECT);
    if (format & DT_WORDBREAK) {
        int height = measured.bottom - measured.top;
        rect.top += std::max(0L, (rect.bottom - rect.top - height) / 2);
        rect.bottom = rect.top + height;
    }
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect, format);
    // The label's own box, for the focus rectangle.
    int width = measured.right - measured.left, height = measured.bottom - measured.top;
    RECT box = rect;
    if (format & DT_CENTER)
        box.left = rect.left + (rect.right - rect.left - width) / 2;
    else if (format & DT_RIGHT)
        box.left = rect.right - width;
    box.right = box.left + width;
    if (!(format & DT_WORDBREAK))
        box.top = rect.top + (rect.bottom - rect.top - height) / 2;
    box.bottom = box.top + height;
    return box;
}
} // namespace

bool VelourButtonBase::DrawsFace() const {
    return KindOf(hwnd()) != ButtonKind::Other;
}

bool VelourButtonBase::PaintsOpaque() const {
    return KindOf(hwnd()) != ButtonKind::Group;
}

ULONGLONG VelourButtonBase::FaceState() {
    HWND button = hwnd();
    return Pack({ULONGLONG(::SendMessageW(button, BM_GETSTATE, 0, 0)), ULONGLONG(::GetWindowLongW(button, GWL_STYLE)),
                 ULONGLONG(HasFocus(button)), ULONGLONG(::IsWindowEnabled(button)), ULONGLONG(hot())});
}

bool VelourButtonBase::MayChangeFace(UINT message, WPARAM wParam) const {
    switch (message) {
    case BM_GETCHECK:
    case BM_GETSTATE:
    case BM_GETIMAGE:
        return false;
    default:
        return VelourControl::MayChangeFace(message, wParam);
    }
}

LRESULT VelourButtonBase::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The dialog manager changes the default-button look through BM_SETSTYLE; the face follows at once.
    if (message == BM_SETSTYLE || message == BM_SETIMAGE) {
        LRESULT result = Default(message, wParam, lParam);
        InvalidateFace();
        return result;
    }
    return VelourControl::HookProc(message, wParam, lParam);
}

void VelourButtonBase::PaintFace(HDC dc, const RECT& client) {
    switch (KindOf(hwnd())) {
    case ButtonKind::Push:
        PaintPush(dc, client, (::GetWindowLongW(hwnd(), GWL_STYLE) & BS_PUSHLIKE) != 0);
        break;
    case ButtonKind::Check:
        PaintCheck(dc, client, false);
        break;
    case ButtonKind::Radio:
        PaintCheck(dc, client, true);
        break;
    case ButtonKind::Group:
        PaintGroup(dc, client);
        break;
    case ButtonKind::Other:
        break;
    }
}

void VelourButtonBase::PaintPush(HDC dc, const RECT& client, bool checkedLook) {
    HWND button = hwnd();
    const LONG style = ::GetWindowLongW(button, GWL_STYLE);
    const LRESULT state = ::SendMessageW(button, BM_GETSTATE, 0, 0);
    const bool enabled = ::IsWindowEnabled(button);
    const bool focused = HasFocus(button);
    const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    const bool pushed = (state & BST_PUSHED) || (checkedLook && (state & BST_CHECKED));
    const int line = Scaled(1);

    ::FillRect(dc, &client, ParentBackground(button, dc, WM_CTLCOLORBTN));
    COLORREF border = !enabled ? kDisabledText : (focused || isDefault) ? kSelectionDark : kEdge;
    int borderWidth = (focused || isDefault) && enabled ? 2 * line : line;
    if (FlatFace() && !hot() && !pushed && !focused)
        win32::FrameSolid(dc, client, enabled ? kEdge : kDisabledText, line);
    else
        DrawButtonFace(dc, client, pushed, hot() && enabled, border, borderWidth);

    RECT content = client;
    ::InflateRect(&content, -Scaled(4), -Scaled(2));
    if (pushed)
        ::OffsetRect(&content, line, line);
    if (style & (BS_ICON | BS_BITMAP)) {
        HANDLE image = reinterpret_cast<HANDLE>(
            ::SendMessageW(button, BM_GETIMAGE, (style & BS_ICON) ? IMAGE_ICON : IMAGE_BITMAP, 0));
        if (image) {
            int width = 0, height = 0;
            if (style & BS_ICON) {
                ICONINFO info{};
                if (::GetIconInfo(static_cast<HICON>(image), &info)) {
                    BITMAP bm{};
                    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
                    width = bm.bmWidth;
                    height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
                    win32::Bitmap color(info.hbmColor), mask(info.hbmMask);
                }
            } else {
                BITMAP bm{};
                ::GetObjectW(image, sizeof(bm), &bm);
                width = bm.bmWidth;
                height = bm.bmHeight;
            }
            int x = content.left + (content.right - content.left - width) / 2;
            int y = content.top + (content.bottom - content.top - height) / 2;
            ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, x, y, width, height,
                         ((style & BS_ICON) ? DST_ICON : DST_BITMAP) | (enabled ? DSS_NORMAL : DSS_DISABLED));
        }
    } else {
        win32::SelectObjectScope font(dc, WindowFont(button));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, enabled ? kText : kDisabledText);
        DrawLabel(dc, WindowText(button), content, TextFormatFor(style, DT_CENTER));
    }
    if (focused) {
        RECT focusRect = client;
        ::InflateRect(&focusRect, -Scaled(4), -Scaled(4));
        DrawFocus(dc, focusRect);
    }
}

void VelourButtonBase::PaintCheck(HDC dc, const RECT& client, bool radio) {
    HWND button = hwnd();
    const LONG style = ::GetWindowLongW(button, GWL_STYLE);
    const LRESULT state = ::SendMessageW(button, BM_GETSTATE, 0, 0);
    const bool enabled = ::IsWindowEnabled(button);
    const bool focused = HasFocus(button);

    ::FillRect(dc, &client, ParentBackground(button, dc, WM_CTLCOLORSTATIC));
    COLORREF textColor = enabled ? ::GetTextColor(dc) : kDisabledText;

    const int size = Scaled(13);
    const bool textLeft = (style & BS_LEFTTEXT) || (::GetWindowLongW(button, GWL_EXSTYLE) & WS_EX_RIGHT);
    RECT box{};
    box.left = textLeft ? client.right - size : client.left;
    switch (style & BS_VCENTER) {
    case BS_TOP:
        box.top = client.top;
        break;
    case BS_BOTTOM:
        box.top = client.bottom - size;
        break;
    default:
        box.top = client.top + (client.bottom - client.top - size) / 2;
        break;
    }
    box.right = box.left + size;
    box.bottom = box.top + size;

    COLORREF fill = !enabled ? kPage : (state & BST_PUSHED) ? kSelectionLight : kField;
    COLORREF border = !enabled ? kDisabledText : (focused || hot()) ? kSelectionDark : kEdge;
    COLORREF mark = enabled ? kMark : kDisabledText;
    const LRESULT check = state & (BST_CHECKED | BST_INDETERMINATE);
    if (radio) {
        win32::Brush fillBrush(::CreateSolidBrush(fill));
        win32::Pen borderPen(::CreatePen(PS_SOLID, Scaled(1), border));
        win32::SelectObjectScope pen(dc, borderPen.get());
        win32::SelectObjectScope brush(dc, fillBrush.get());
        ::Ellipse(dc, box.left, box.top, box.right, box.bottom);
        if (check & BST_CHECKED) {
            win32::Brush markBrush(::CreateSolidBrush(mark));
            win32::Pen markPen(::CreatePen(PS_SOLID, 1, mark));
            win32::SelectObjectScope pen2(dc, markPen.get());
            win32::SelectObjectScope brush2(dc, markBrush.get());
            int inset = size * 3 / 10;
            ::Ellipse(dc, box.left + inset, box.top + inset, box.right - inset, box.bottom - inset);
        }
    } else {
        win32::FillSolid(dc, box, fill);
        win32::FrameSolid(dc, box, border, Scaled(1));
        if (check & BST_INDETERMINATE) {
            RECT inner = box;
            ::InflateRect(&inner, -size / 4, -size / 4);
            win32::FillSolid(dc, inner, mark);
        } else if (check & BST_CHECKED) {
            win32::Pen markPen(::CreatePen(PS_SOLID, std::max(2, size / 6), mark));
            win32::SelectObjectScope pen(dc, markPen.get());
            POINT points[3] = {{box.left + size * 22 / 100, box.top + size * 50 / 100},
                               {box.left + size * 42 / 100, box.top + size * 72 / 100},
                               {box.left + size * 78 / 100, box.top + size * 28 / 100}};
            ::Polyline(dc, points, 3);
        }
    }

    RECT textRect = client;
    const int gap = Scaled(5);
    if (textLeft)
        textRect.right = box.left - gap;
    else
        textRect.left = box.right + gap;
    win32::SelectObjectScope font(dc, WindowFont(button));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColor);
    std::wstring text = WindowText(button);
    RECT label = DrawLabel(dc, text, textRect, TextFormatFor(style, textLeft ? DT_RIGHT : DT_LEFT));
    if (focused) {
        ::InflateRect(&label, Scaled(1), Scaled(1));
        if (text.empty())
            label = box;
        ::IntersectRect(&label, &label, &client);
        DrawFocus(dc, label);
    }
}

void VelourButtonBase::PaintGroup(HDC dc, const RECT& client) {
    HWND button = hwnd();
    HBRUSH background = ParentBackground(button, dc, WM_CTLCOLORSTATIC);
    COLORREF textColor = ::IsWindowEnabled(button) ? ::GetTextColor(dc) : kDisabledText;
    win32::SelectObjectScope font(dc, WindowFont(button));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    std::wstring text = WindowText(button);

    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    RECT label{client.left + Scaled(8), client.top, client.left + Scaled(8), client.top + metrics.tmHeight};
    if (!text.empty()) {
        RECT measured = label;
        measured.right = client.right - Scaled(8);
        ::DrawTextW(dc, text.c_str(), int(text.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
        label.right = std::min(client.right - Scaled(8), measured.right + 2 * Scaled(2));
    }
    int saved = ::SaveDC(dc);
    if (!text.empty())
        ::ExcludeClipRect(dc, label.left, label.top, label.right, label.bottom);
    win32::FrameSolid(dc, frame, kEdge, Scaled(1));
    ::RestoreDC(dc, saved);
    if (!text.empty()) {
        ::FillRect(dc, &label, background);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, textColor);
        RECT textRect = label;
        ::InflateRect(&textRect, -Scaled(2), 0);
        ::DrawTextW(dc, text.c_str(), int(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
}

#include "velour/velour_controls.h"

#include <algorithm>
#include <string>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

bool VelourComboBox::DrawsFace() const {
    LONG style = ::GetWindowLongW(hwnd(), GWL_STYLE);
    return (style & 3) == CBS_DROPDOWNLIST && !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE));
}

ULONGLONG VelourComboBox::FaceState() {
    HWND combo = hwnd();
    return Pack({ULONGLONG(::SendMessageW(combo, CB_GETCURSEL, 0, 0)),
                 ULONGLONG(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)), ULONGLONG(HasFocus(combo)),
                 ULONGLONG(::IsWindowEnabled(combo)), ULONGLONG(hot()), ULONGLONG(::GetWindowLongW(combo, GWL_STYLE))});
}

bool VelourComboBox::MayChangeFace(UINT message, WPARAM wParam) const {
    switch (message) {
    // Filling the list leaves the face alone: the selection's text stays what it was.
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_INITSTORAGE:
    case CB_SETITEMDATA:
    case CB_GETCOUNT:
    case CB_GETCURSEL:
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN:
    case CB_GETDROPPEDSTATE:
    case CB_GETDROPPEDCONTROLRECT:
    case CB_GETDROPPEDWIDTH:
    case CB_GETITEMDATA:
    case CB_GETITEMHEIGHT:
    case CB_GETEDITSEL:
    case CB_GETEXTENDEDUI:
    case CB_GETTOPINDEX:
    case CB_GETHORIZONTALEXTENT:
    case CB_GETLOCALE:
    case CB_GETCOMBOBOXINFO:
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        return false;
    default:
        return VelourControl::MayChangeFace(message, wParam);
    }
}

LRESULT VelourComboBox::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Combo boxes with an edit field or drawn by their owner keep their standard inside; the skin adds its frame
    // and drop button over it.
    if (message == WM_PAINT && !DrawsFace()) {
        LRESULT result = Default(message, wParam, lParam);
        RECT client;
        ::GetClientRect(hwnd(), &client);
        win32::WindowDc dc(hwnd());
        if (dc.get())
            PaintFrameAndButton(dc.get(), client);
        return result;
    }
    return VelourControl::HookProc(message, wParam, lParam);
}

void VelourComboBox::PaintFrameAndButton(HDC dc, const RECT& client) {
    HWND combo = hwnd();
    const bool enabled = ::IsWindowEnabled(combo);
    const bool dropped = ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
    const bool active = HasFocus(combo) || dropped || hot();
    const int line = Scaled(1);
    COLORREF border = !enabled ? kDisabledText : active ? kSelectionDark : kEdge;
    win32::FrameSolid(dc, client, border, line);
    RECT inner = client;
    ::InflateRect(&inner, -line, -line);
    if (!DrawsFace())
        win32::FrameSolid(dc, inner, enabled ? kField : kPage, line);

    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetComboBoxInfo(combo, &info) || (info.stateButton & STATE_SYSTEM_INVISIBLE))
        return;
    RECT button = info.rcButton;
    button.top = inner.top;
    button.bottom = inner.bottom;
    button.right = inner.right;
    if (button.right - button.left <= 0)
        return;
    FillVerticalGradient(dc, button, dropped ? kSelectionLight : kFaceTop, dropped ? kSelectionLight : kFaceBottom);
    win32::FillSolid(dc, {button.left, button.top, button.left + line, button.bottom}, border);
    DrawArrow(dc, button, Arrow::Down, enabled ? kText : kDisabledText);
}

void VelourComboBox::PaintFace(HDC dc, const RECT& client) {
    HWND combo = hwnd();
    const bool enabled = ::IsWindowEnabled(combo);
    const bool focused = HasFocus(combo);
    const bool dropped = ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
    win32::FillSolid(dc, client, enabled ? kField : kPage);
    PaintFrameAndButton(dc, client);

    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    RECT item = client;
    if (::GetComboBoxInfo(combo, &info))
        item = info.rcItem;
    else
        ::InflateRect(&item, -Scaled(3), -Scaled(3));
    std::wstring text;
    LRESULT selection = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR) {
        LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(selection), 0);
        if (length > 0) {
            text.resize(size_t(length) + 1);
            length = ::SendMessageW(combo, CB_GETLBTEXT, WPARAM(selection), reinterpret_cast<LPARAM>(text.data()));
            text.resize(size_t(std::max<LRESULT>(0, length)));
        }
    }
    if (focused && !dropped && enabled)
        win32::FillSolid(dc, item, kSelectionLight);
    win32::SelectObjectScope font(dc, WindowFont(combo));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? kText : kDisabledText);
    RECT textRect = item;
    ::InflateRect(&textRect, -Scaled(2), 0);
    ::DrawTextW(dc, text.c_str(), int(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (focused && !dropped)
        DrawFocus(dc, item);
}

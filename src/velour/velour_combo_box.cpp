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
            PaintComboFrameAndButton(hwnd(), dc.get(), client, Look(false), true);
        return result;
    }
    return VelourControl::HookProc(message, wParam, lParam);
}

ComboLook VelourComboBox::Look(bool withText) {
    HWND combo = hwnd();
    ComboLook look;
    look.enabled = ::IsWindowEnabled(combo);
    look.focused = HasFocus(combo);
    look.dropped = ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0;
    look.hot = hot();
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    RECT client;
    ::GetClientRect(combo, &client);
    if (::GetComboBoxInfo(combo, &info)) {
        look.item = info.rcItem;
        if (!(info.stateButton & STATE_SYSTEM_INVISIBLE))
            look.button = info.rcButton;
    } else {
        look.item = client;
        ::InflateRect(&look.item, -Scaled(3), -Scaled(3));
    }
    if (withText) {
        LRESULT selection = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (selection != CB_ERR) {
            LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(selection), 0);
            if (length > 0) {
                look.text.resize(size_t(length) + 1);
                length =
                    ::SendMessageW(combo, CB_GETLBTEXT, WPARAM(selection), reinterpret_cast<LPARAM>(look.text.data()));
                look.text.resize(size_t(std::max<LRESULT>(0, length)));
            }
        }
        look.font = WindowFont(combo);
    }
    return look;
}

void VelourComboBox::PaintFace(HDC dc, const RECT& client) {
    PaintDropDownListFace(hwnd(), dc, client, Look(true));
}

namespace velour {

void PaintComboFrameAndButton(HWND window, HDC dc, const RECT& client, const ComboLook& look, bool fieldFrame) {
    const bool active = look.focused || look.dropped || look.hot;
    const int line = Scale(window, 1);
    COLORREF border = !look.enabled ? kDisabledText : active ? kSelectionDark : kEdge;
    win32::FrameSolid(dc, client, border, line);
    RECT inner = client;
    ::InflateRect(&inner, -line, -line);
    if (fieldFrame)
        win32::FrameSolid(dc, inner, look.enabled ? kField : kPage, line);
    if (::IsRectEmpty(&look.button))
        return;
    RECT button = look.button;
    button.top = inner.top;
    button.bottom = inner.bottom;
    button.right = inner.right;
    if (button.right - button.left <= 0)
        return;
    FillVerticalGradient(dc, button, look.dropped ? kSelectionLight : kFaceTop,
                         look.dropped ? kSelectionLight : kFaceBottom);
    win32::FillSolid(dc, {button.left, button.top, button.left + line, button.bottom}, border);
    DrawArrow(dc, button, Arrow::Down, look.enabled ? kText : kDisabledText);
}

void PaintDropDownListFace(HWND window, HDC dc, const RECT& client, const ComboLook& look) {
    win32::FillSolid(dc, client, look.enabled ? kField : kPage);
    PaintComboFrameAndButton(window, dc, client, look, false);
    if (look.focused && !look.dropped && look.enabled)
        win32::FillSolid(dc, look.item, kSelectionLight);
    win32::SelectObjectScope font(dc, look.font ? look.font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look.enabled ? kText : kDisabledText);
    RECT textRect = look.item;
    ::InflateRect(&textRect, -Scale(window, 2), 0);
    ::DrawTextW(dc, look.text.c_str(), int(look.text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (look.focused && !look.dropped)
        DrawFocus(dc, look.item);
}

} // namespace velour

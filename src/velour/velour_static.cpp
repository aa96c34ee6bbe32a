#include "velour/velour_controls.h"

#include <string>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

namespace {
bool IsTextStatic(LONG style) {
    switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        return true;
    default:
        return false;
    }
}
bool IsEtchedStatic(LONG style) {
    LONG type = style & SS_TYPEMASK;
    return type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT || type == SS_ETCHEDFRAME;
}
} // namespace

bool VelourStatic::DrawsFace() const {
    LONG style = ::GetWindowLongW(hwnd(), GWL_STYLE);
    return IsTextStatic(style) || IsEtchedStatic(style);
}

ULONGLONG VelourStatic::FaceState() {
    return Pack({ULONGLONG(::GetWindowLongW(hwnd(), GWL_STYLE)), ULONGLONG(::IsWindowEnabled(hwnd()))});
}

void VelourStatic::PaintFace(HDC dc, const RECT& client) {
    HWND control = hwnd();
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const int line = Scaled(1);
    switch (style & SS_TYPEMASK) {
    case SS_ETCHEDHORZ:
        win32::FillSolid(dc, {client.left, client.top, client.right, client.top + line}, kEdge);
        return;
    case SS_ETCHEDVERT:
        win32::FillSolid(dc, {client.left, client.top, client.left + line, client.bottom}, kEdge);
        return;
    case SS_ETCHEDFRAME:
        win32::FrameSolid(dc, client, kEdge, line);
        return;
    default:
        break;
    }
    HBRUSH background = ParentBackground(control, dc, WM_CTLCOLORSTATIC);
    COLORREF textColor = ::IsWindowEnabled(control) ? ::GetTextColor(dc) : kDisabledText;
    ::FillRect(dc, &client, background);

    UINT format = DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format |= DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format |= DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        format |= DT_SINGLELINE;
        break;
    default:
        format |= DT_WORDBREAK;
        break;
    }
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (style & SS_EDITCONTROL)
        format |= DT_EDITCONTROL;
    if (style & SS_CENTERIMAGE)
        format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS:
        format |= DT_END_ELLIPSIS | DT_SINGLELINE;
        break;
    case SS_PATHELLIPSIS:
        format |= DT_PATH_ELLIPSIS | DT_SINGLELINE;
        break;
    case SS_WORDELLIPSIS:
        format |= DT_WORD_ELLIPSIS | DT_SINGLELINE;
        break;
    default:
        break;
    }
    win32::SelectObjectScope font(dc, WindowFont(control));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColor);
    std::wstring text = WindowText(control);
    RECT rect = client;
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect, format);
}

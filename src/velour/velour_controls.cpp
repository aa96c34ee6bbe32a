#include "velour/velour_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

namespace {
const wchar_t kObjectProperty[] = L"Velour.Control";

class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

std::wstring WindowText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(size_t(std::max(0, length)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

bool HasFocus(HWND window) {
    HWND focus = ::GetFocus();
    return focus && (focus == window || ::IsChild(window, focus));
}

// A focus rectangle drawn whatever the keyboard-cue setting says: the skin always shows where focus is.
void DrawFocus(HDC dc, RECT rect) {
    COLORREF text = ::SetTextColor(dc, kText);
    COLORREF back = ::SetBkColor(dc, kField);
    ::DrawFocusRect(dc, &rect);
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, back);
}

ULONGLONG Pack(std::initializer_list<ULONGLONG> parts) {
    ULONGLONG value = 1469598103934665603ull;
    for (ULONGLONG part : parts)
        value = (value ^ part) * 1099511628211ull;
    return value;
}
} // namespace

const wchar_t* VelourRuntimeClassName(HWND control) {
    VelourControl* object = VelourControl::FromWindow(control);
    return object ? object->RuntimeClassName() : nullptr;
}

VelourControl* VelourControl::FromWindow(HWND control) {
    return control ? static_cast<VelourControl*>(::GetPropW(control, kObjectProperty)) : nullptr;
}

bool VelourControl::Bind(HWND dialog, int id) {
    return dialog && Attach(::GetDlgItem(dialog, id));
}

bool VelourControl::Attach(HWND control) {
    if (!control || FromWindow(control))
        return false;
    return Hook(control);
}

void VelourControl::OnHooked() {
    ::SetPropW(hwnd(), kObjectProperty, this);
    ::SendMessageW(hwnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void VelourControl::OnUnhooking() {
    if (FromWindow(hwnd()) == this)
        ::RemovePropW(hwnd(), kObjectProperty);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

int VelourControl::Scaled(int pixelsAt96) const {
    return Scale(hwnd(), pixelsAt96);
}

void VelourControl::CheckFaceState() {
    if (!DrawsFace())
        return;
    ULONGLONG state = 0;
    {
        BusyScope busy(busy_);
        state = FaceState();
    }
    if (state != lastFaceState_) {
        lastFaceState_ = state;
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

void VelourControl::Paint(HDC given) {
    BusyScope busy(busy_);
    if (given) {
        RECT client;
        ::GetClientRect(hwnd(), &client);
        PaintFace(given, client);
    } else if (PaintsOpaque()) {
        win32::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { PaintFace(dc, client); });
    } else {
        win32::PaintScope paint(hwnd());
        RECT client;
        ::GetClientRect(hwnd(), &client);
        if (paint.dc())
            PaintFace(paint.dc(), client);
    }
    lastFaceState_ = FaceState();
}

LRESULT VelourControl::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (busy_)
        return Default(message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        if (!DrawsFace())
            break;
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PRINTCLIENT:
        if (!DrawsFace())
            break;
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        if (DrawsFace())
            return 1;
        break;
    case WM_MOUSEMOVE:
        if (!hot_ && DrawsFace()) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
            ::TrackMouseEvent(&track);
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        if (hot_) {
            hot_ = false;
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        break;
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_SIZE: {
        LRESULT result = Default(message, wParam, lParam);
        if (DrawsFace())
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        return result;
    }
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_GETDLGCODE:
    case WM_NCPAINT:
    case WM_DESTROY:
        return Default(message, wParam, lParam);
    default:
        break;
    }
    LRESULT result = Default(message, wParam, lParam);
    CheckFaceState();
    return result;
}

// ---- Buttons ----

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

LRESULT VelourButtonBase::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The dialog manager changes the default-button look through BM_SETSTYLE; the face follows at once.
    if (message == BM_SETSTYLE || message == BM_SETIMAGE) {
        LRESULT result = Default(message, wParam, lParam);
        ::InvalidateRect(hwnd(), nullptr, FALSE);
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

// ---- Static ----

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

// ---- Combo box ----

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

// ---- Edits and lists ----

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
    ::RedrawWindow(control, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void VelourFramedControl::PaintFrame() {
    HWND control = hwnd();
    win32::WindowDc dc(control, win32::WindowDc::Area::WholeWindow);
    if (!dc.get())
        return;
    RECT window;
    ::GetWindowRect(control, &window);
    ::OffsetRect(&window, -window.left, -window.top);
    const bool enabled = ::IsWindowEnabled(control);
    COLORREF border = !enabled ? kDisabledText : HasFocus(control) ? kSelectionDark : kEdge;
    win32::FrameSolid(dc.get(), window, border, 1);
    if (::GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        ::InflateRect(&window, -1, -1);
        win32::FrameSolid(dc.get(), window, enabled ? kField : kPage, 1);
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

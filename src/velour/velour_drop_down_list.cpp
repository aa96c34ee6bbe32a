#include "velour/velour_controls.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

namespace {

constexpr wchar_t kClassName[] = L"VelourDropDownList";

// Where a combo box with a given font puts its parts, measured once from a real one: its height, its field and
// its drop button as distances from the client edges.
struct ComboMetrics {
    LOGFONTW font{};
    int height = 0;
    RECT item{};   // as Inset gives it, the left side from the left edge
    RECT button{}; // as Inset gives it, the left side from the right edge
    bool hasButton = false;
};

// A part's edges as distances: from the left edge (or, `fromRight`, the right edge) for its left side, from the top
// for its top, from the right and bottom edges for its right and bottom sides.
RECT Inset(const RECT& part, const RECT& client, bool fromRight) {
    return {fromRight ? client.right - part.left : part.left, part.top, client.right - part.right,
            client.bottom - part.bottom};
}

RECT Place(const RECT& inset, const RECT& client, bool fromRight) {
    return {fromRight ? client.right - inset.left : inset.left, inset.top, client.right - inset.right,
            client.bottom - inset.bottom};
}

const ComboMetrics& MetricsFor(HWND parent, HFONT font) {
    static std::vector<ComboMetrics> known;
    LOGFONTW logFont{};
    ::GetObjectW(font ? font : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    for (const ComboMetrics& metrics : known)
        if (std::memcmp(&metrics.font, &logFont, sizeof(logFont)) == 0)
            return metrics;
    ComboMetrics metrics;
    metrics.font = logFont;
    HWND combo = ::CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 200, 200,
                                   parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (combo) {
        ::SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        RECT window, client;
        ::GetWindowRect(combo, &window);
        ::GetClientRect(combo, &client);
        metrics.height = window.bottom - window.top;
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (::GetComboBoxInfo(combo, &info)) {
            metrics.item = Inset(info.rcItem, client, false);
            // The measuring combo box is hidden, and reports its button as invisible for that alone.
            metrics.hasButton = !::IsRectEmpty(&info.rcButton);
            metrics.button = Inset(info.rcButton, client, true);
        }
        ::DestroyWindow(combo);
    }
    known.push_back(metrics);
    return known.back();
}

bool RegisterOnce(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

bool IsComboMessage(UINT message) {
    return message >= CB_GETEDITSEL && message <= CB_MSGMAX;
}

} // namespace

VelourDropDownList::~VelourDropDownList() {
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

bool VelourDropDownList::Create(HWND parent, DWORD style, const RECT& rect, int id, HFONT font) {
    if (hwnd_ || !RegisterOnce(&VelourDropDownList::Proc))
        return false;
    font_ = font;
    dropHeight_ = rect.bottom - rect.top;
    const ComboMetrics& metrics = MetricsFor(parent, font);
    const int height = metrics.height > 0 ? metrics.height : dropHeight_;
    if (!::CreateWindowExW(0, kClassName, L"", (style & ~(CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL)) | WS_CLIPCHILDREN,
                           rect.left, rect.top, rect.right - rect.left, height, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), this))
        return false;
    // Only an unsorted drop-down list is imitated; anything else is the combo box from the start.
    if ((style & 3) != CBS_DROPDOWNLIST || (style & CBS_SORT) || metrics.height <= 0)
        Realize();
    return true;
}

void VelourDropDownList::Realize() {
    if (combo_ || !hwnd_)
        return;
    RECT client;
    ::GetClientRect(hwnd_, &client);
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | (::IsWindowEnabled(hwnd_) ? 0 : WS_DISABLED);
    realizing_ = true;
    combo_ = ::CreateWindowExW(0, L"ComboBox", L"", style, 0, 0, client.right, dropHeight_, hwnd_,
                               reinterpret_cast<HMENU>(INT_PTR(::GetDlgCtrlID(hwnd_))), ::GetModuleHandleW(nullptr),
                               nullptr);
    if (combo_) {
        ::SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        for (const std::wstring& entry : entries_)
            ::SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        ::SendMessageW(combo_, CB_SETCURSEL, WPARAM(selection_), 0);
        entries_ = {};
        skin_.Attach(combo_);
        if (::GetFocus() == hwnd_)
            ::SetFocus(combo_);
    }
    realizing_ = false;
}

LRESULT CALLBACK VelourDropDownList::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<VelourDropDownList*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->hwnd_ = window;
    }
    auto* self = reinterpret_cast<VelourDropDownList*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->combo_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    // No exception may cross into the system.
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

// A hidden window is drawn in full when it is shown.
void VelourDropDownList::Redraw() {
    if (::IsWindowVisible(hwnd_))
        ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void VelourDropDownList::Notify(WORD code) {
    ::SendMessageW(::GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd_), code),
                   reinterpret_cast<LPARAM>(hwnd_));
}

// As the combo box's list does for a key or character: the selection follows, and the combo box reports the
// choice as made (CBN_SELENDOK) and the selection as changed, even when it stayed where it was.
void VelourDropDownList::Select(int index, bool byUser) {
    if (index < 0 || index >= int(entries_.size()))
        return;
    caret_ = index;
    selection_ = index;
    Redraw();
    if (byUser) {
        Notify(CBN_SELENDOK);
        Notify(CBN_SELCHANGE);
    }
}

void VelourDropDownList::OnKeyDown(WPARAM key, LPARAM lParam) {
    const int count = int(entries_.size());
    int caret = -1;
    switch (key) {
    case VK_UP:
    case VK_LEFT:
        caret = std::max(0, caret_ - 1);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        caret = std::min(caret_ + 1, count - 1);
        break;
    case VK_HOME:
        caret = 0;
        break;
    case VK_END:
        caret = count - 1;
        break;
    case VK_F4:
    case VK_PRIOR:
    case VK_NEXT:
        // Opening the list, and paging by the list's height, are the combo box's own.
        Realize();
        if (combo_)
            ::SendMessageW(combo_, WM_KEYDOWN, key, lParam);
        return;
    default:
        return;
    }
    Select(caret, true);
}

LRESULT VelourDropDownList::OnComboMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int count = int(entries_.size());
    auto text = [](LPARAM pointer) { return pointer ? std::wstring(reinterpret_cast<const wchar_t*>(pointer)) : L""; };
    switch (message) {
    case CB_ADDSTRING:
        entries_.push_back(text(lParam));
        return LRESULT(entries_.size() - 1);
    case CB_INSERTSTRING: {
        const int at = int(wParam) < 0 || int(wParam) > count ? count : int(wParam);
        if (int(wParam) > count)
            return CB_ERR;
        entries_.insert(entries_.begin() + at, text(lParam));
        if (selection_ >= at)
            ++selection_;
        return at;
    }
    case CB_DELETESTRING: {
        const int at = int(wParam);
        if (at < 0 || at >= count)
            return CB_ERR;
        entries_.erase(entries_.begin() + at);
        if (selection_ == at)
            selection_ = -1;
        else if (selection_ > at)
            --selection_;
        caret_ = std::min(caret_, std::max(0, count - 2));
        Redraw();
        return LRESULT(entries_.size());
    }
    case CB_RESETCONTENT:
        entries_.clear();
        selection_ = -1;
        caret_ = 0;
        Redraw();
        return CB_OKAY;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return selection_;
    case CB_SETCURSEL:
        if (int(wParam) < -1 || int(wParam) >= count)
            return CB_ERR;
        if (int(wParam) >= 0)
            caret_ = int(wParam);
        selection_ = int(wParam);
        Redraw();
        return selection_;
    case CB_GETLBTEXTLEN:
        return int(wParam) >= 0 && int(wParam) < count ? LRESULT(entries_[wParam].size()) : CB_ERR;
    case CB_GETLBTEXT:
        if (int(wParam) < 0 || int(wParam) >= count || !lParam)
            return CB_ERR;
        std::copy(entries_[wParam].begin(), entries_[wParam].end(), reinterpret_cast<wchar_t*>(lParam));
        reinterpret_cast<wchar_t*>(lParam)[entries_[wParam].size()] = L'\0';
        return LRESULT(entries_[wParam].size());
    case CB_FINDSTRINGEXACT: {
        const std::wstring wanted = text(lParam);
        const int start = int(wParam) >= 0 && int(wParam) < count ? int(wParam) : -1;
        for (int i = 1; i <= count; ++i) {
            const int at = (start + i) % count;
            if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wanted.c_str(), -1, entries_[at].c_str(), -1) ==
                CSTR_EQUAL)
                return at;
        }
        return CB_ERR;
    }
    case CB_GETDROPPEDSTATE:
        return FALSE;
    default:
        // Anything else is the combo box's own: it is made now and asked.
        return Forward(message, wParam, lParam);
    }
}

LRESULT VelourDropDownList::Forward(UINT message, WPARAM wParam, LPARAM lParam) {
    Realize();
    return combo_ ? ::SendMessageW(combo_, message, wParam, lParam) : 0;
}

void VelourDropDownList::Paint(HDC dc, const RECT& client) {
    const ComboMetrics& metrics = MetricsFor(::GetParent(hwnd_), font_);
    ComboLook look;
    look.enabled = ::IsWindowEnabled(hwnd_);
    look.focused = ::GetFocus() == hwnd_;
    look.hot = hot_;
    look.item = Place(metrics.item, client, false);
    if (metrics.hasButton)
        look.button = Place(metrics.button, client, true);
    if (selection_ >= 0 && selection_ < int(entries_.size()))
        look.text = entries_[size_t(selection_)];
    look.font = font_;
    PaintDropDownListFace(hwnd_, dc, client, look);
}

LRESULT VelourDropDownList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = hwnd_;
    // What the parent hears from the combo box and what the combo box asks it, the parent gets from this window.
    switch (message) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == combo_ && combo_) {
            if (!realizing_)
                Notify(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return ::SendMessageW(::GetParent(window), message, wParam, lParam);
    default:
        break;
    }
    if (combo_) {
        // The combo box does everything now; this window only holds it.
        if (IsComboMessage(message))
            return ::SendMessageW(combo_, message, wParam, lParam);
        switch (message) {
        case WM_SETFOCUS:
            ::SetFocus(combo_);
            return 0;
        case WM_ENABLE:
            ::EnableWindow(combo_, BOOL(wParam));
            return 0;
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            [[fallthrough]];
        case WM_GETFONT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
        case WM_SETTEXT:
        case WM_GETDLGCODE:
            return ::SendMessageW(combo_, message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            ::BeginPaint(window, &paint);
            ::EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    }
    if (IsComboMessage(message))
        return OnComboMessage(message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        win32::PaintBuffered(window, [this](HDC dc, const RECT& client) { Paint(dc, client); });
        return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        ::GetClientRect(window, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            Redraw();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_GETTEXTLENGTH:
        return selection_ >= 0 ? LRESULT(entries_[size_t(selection_)].size()) : 0;
    case WM_GETTEXT: {
        if (!lParam || wParam == 0)
            return 0;
        const std::wstring shown = selection_ >= 0 ? entries_[size_t(selection_)] : L"";
        const size_t length = std::min(shown.size(), size_t(wParam) - 1);
        std::copy_n(shown.begin(), length, reinterpret_cast<wchar_t*>(lParam));
        reinterpret_cast<wchar_t*>(lParam)[length] = L'\0';
        return LRESULT(length);
    }
    case WM_SETTEXT:
        return Forward(message, wParam, lParam);
    case WM_ENABLE:
        Redraw();
        return 0;
    case WM_SETFOCUS:
        Redraw();
        Notify(CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        Redraw();
        // Focus handed to the combo box being made is no loss of focus for the parent.
        if (!realizing_) {
            Notify(CBN_SELENDCANCEL);
            Notify(CBN_KILLFOCUS);
        }
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        return 0;
    case WM_SYSKEYDOWN:
        if ((HIWORD(lParam) & KF_ALTDOWN) && (wParam == VK_UP || wParam == VK_DOWN)) {
            Forward(message, wParam, lParam);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_CHAR: {
        // The next entry after the current one whose first character is the one typed, ignoring case.
        const int count = int(entries_.size());
        const wint_t typed = std::towlower(wint_t(wParam));
        for (int i = 1; i <= count; ++i) {
            const int at = (caret_ + i) % count;
            if (!entries_[size_t(at)].empty() && std::towlower(wint_t(entries_[size_t(at)][0])) == typed) {
                Select(at, true);
                break;
            }
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        if (wParam & (MK_SHIFT | MK_CONTROL))
            return ::DefWindowProcW(window, message, wParam, lParam);
        if (GET_WHEEL_DELTA_WPARAM(wParam) != 0)
            OnKeyDown(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? VK_UP : VK_DOWN, 0);
        return 0;
    case WM_MOUSEMOVE:
        if (!hot_) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            ::TrackMouseEvent(&track);
            Redraw();
        }
        return 0;
    case WM_MOUSELEAVE:
        hot_ = false;
        Redraw();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A click opens the list: the combo box is made where this window is and gets the click itself.
        Forward(message, wParam, lParam);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

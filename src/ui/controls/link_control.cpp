#include "ui/controls/link_control.h"

#include <windowsx.h>

#include "ui/controls/page_colors.h"
#include "win32/gdi.h"

namespace {
constexpr UINT kTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT;

controls::TextAlignment AlignmentOf(HWND window) {
    switch (::GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK) {
    case SS_CENTER:
        return controls::TextAlignment::Center;
    case SS_RIGHT:
        return controls::TextAlignment::Right;
    default:
        return controls::TextAlignment::Left;
    }
}
} // namespace

CLinkControl::CLinkControl() {
    RegisterLinkClass();
}

bool CLinkControl::RegisterLinkClass() {
    return RegisterControlClass(kClassName, 0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, true);
}

bool CLinkControl::Create(const std::wstring& text, DWORD style, const RECT& rect, HWND parent, int id) {
    if (!RegisterLinkClass())
        return false;
    return CreateControl(kClassName, text.c_str(), style, rect, parent, id);
}

void CLinkControl::SetText(const std::wstring& text) {
    if (hwnd())
        ::SetWindowTextW(hwnd(), text.c_str());
    else
        text_ = text;
}

void CLinkControl::OnAttached() {
    int length = ::GetWindowTextLengthW(hwnd());
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(hwnd(), text.data(), length + 1)));
    text_ = std::move(text);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    HWND parent = ::GetParent(hwnd());
    if (!font && parent)
        font = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    SetFont(font);
}

void CLinkControl::OnWindowGone() {
    trackingMouse_ = false;
    handShown_ = false;
}

// Both fonts are copies, so the link does not depend on the life of the font it was given.
void CLinkControl::SetFont(HFONT font) {
    LOGFONTW logFont{};
    if (!font || ::GetObjectW(font, sizeof(logFont), &logFont) == 0)
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfUnderline = FALSE;
    font_.reset(::CreateFontIndirectW(&logFont));
    logFont.lfUnderline = TRUE;
    underlinedFont_.reset(::CreateFontIndirectW(&logFont));
    Measure();
}

void CLinkControl::Measure() {
    if (!hwnd())
        return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    win32::WindowDc dc(hwnd());
    RECT box{0, 0, 0, 0};
    {
        win32::SelectObjectScope selected(dc.get(), underlinedFont_.get());
        ::DrawTextW(dc.get(), text_.c_str(), int(text_.size()), &box, kTextFormat | DT_CALCRECT);
    }
    span_ = controls::PlaceTextSpan(client.right, box.right - box.left, AlignmentOf(hwnd()));
    textHeight_ = box.bottom - box.top;
}

bool CLinkControl::InSpan(LPARAM point) const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    return controls::SpanContains(span_, client.bottom, GET_X_LPARAM(point), GET_Y_LPARAM(point));
}

LRESULT CLinkControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto draw = [this](HDC dc, const RECT& client) { Draw(dc, client); };
    if (auto answer = win32::AnswerBufferedPaint(hwnd(), message, wParam, draw))
        return *answer;
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = CallDefault(message, wParam, lParam);
        text_ = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        Measure();
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        SetFont(reinterpret_cast<HFONT>(wParam));
        if (LOWORD(lParam))
            ::InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_.get());
    case WM_SIZE:
        Measure();
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        trackingMouse_ = false;
        RestoreCursor();
        return 0;
    case WM_SETCURSOR:
        // The class cursor would replace the hand on every move inside the text.
        if (handShown_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return CallDefault(message, wParam, lParam);
    case WM_LBUTTONDOWN:
        if (InSpan(lParam))
            ::SetFocus(hwnd());
        return 0;
    case WM_LBUTTONUP:
        if (InSpan(lParam))
            Activate();
        return 0;
    case WM_GETDLGCODE: {
        // Enter and Space must reach the link instead of pressing the dialog's default button. Some dialog
        // managers pass the key only inside the message, so look there too.
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        WPARAM key = pending && pending->message == WM_KEYDOWN ? pending->wParam : wParam;
        if (key == VK_RETURN || key == VK_SPACE)
            return DLGC_WANTMESSAGE;
        return CallDefault(message, wParam, lParam);
    }
    case WM_KEYDOWN: {
        bool repeat = (lParam & (1 << 30)) != 0;
        if ((wParam == VK_RETURN || wParam == VK_SPACE) && !repeat && ::GetFocus() == hwnd())
            Activate();
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    default:
        return CallDefault(message, wParam, lParam);
    }
}

void CLinkControl::OnMouseMove(int x, int y) {
    if (!trackingMouse_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
        trackingMouse_ = ::TrackMouseEvent(&track) != FALSE;
    }
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (controls::SpanContains(span_, client.bottom, x, y)) {
        if (!handShown_) {
            restoreCursor_ = ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            handShown_ = true;
        }
    } else {
        RestoreCursor();
    }
}

void CLinkControl::RestoreCursor() {
    if (!handShown_)
        return;
    handShown_ = false;
    ::SetCursor(restoreCursor_ ? restoreCursor_ : ::LoadCursorW(nullptr, IDC_ARROW));
}

void CLinkControl::Activate() {
    if (!visited_) {
        visited_ = true;
        ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    HWND parent = ::GetParent(hwnd());
    if (parent)
        ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id(), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd()));
}

void CLinkControl::Draw(HDC dc, const RECT& client) const {
    win32::FillSolid(dc, client, controls::kPageBackground);
    win32::SelectObjectScope selectedFont(dc, underlinedFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, visited_ ? kVisitedText : kUnvisitedText);
    RECT text{span_.left, client.top, span_.left + span_.width, client.bottom};
    ::DrawTextW(dc, text_.c_str(), int(text_.size()), &text, kTextFormat);
    if (::GetFocus() == hwnd()) {
        int top = client.top + (client.bottom - client.top - textHeight_) / 2;
        RECT focus{span_.left - 1, top - 1, span_.left + span_.width + 1, top + textHeight_ + 1};
        ::IntersectRect(&focus, &focus, &client);
        ::DrawFocusRect(dc, &focus);
    }
}

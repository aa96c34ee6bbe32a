#include "ui/controls/config_item_window.h"

#include "win32/dpi.h"
#include "win32/gdi.h"

namespace {
constexpr wchar_t kClassName[] = L"SkylumeConfigItemWindow";
constexpr int kTextMargin = 5;

// Size of `text` as DrawText lays it out with `format`, in a box `width` wide.
SIZE MeasureText(HDC dc, const std::wstring& text, UINT format, int width) {
    RECT box{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), int(text.size()), &box, format | DT_CALCRECT);
    return {box.right - box.left, box.bottom - box.top};
}
} // namespace

CConfigItemWindow::CConfigItemWindow(HFONT font, COLORREF textColor, COLORREF backgroundColor, UINT textFormat,
                                     int frame)
    : font_(font), textColor_(textColor), backgroundColor_(backgroundColor), textFormat_(textFormat), frame_(frame) {}

bool CConfigItemWindow::Create(DWORD style, const RECT& rect, HWND parent, int id) {
    // Both ends of the band move when it is resized, so the whole face is redrawn. Registered once: every file
    // item of a module page has one of these.
    static const bool registered =
        RegisterControlClass(kClassName, CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, true);
    // The title is also the window text, for screen readers and for tools that look at the window.
    return registered && CreateControl(kClassName, title_.c_str(), style, rect, parent, id);
}

void CConfigItemWindow::SetTexts(const std::wstring& title, const std::wstring& description) {
    if (hwnd() && title == title_ && description == description_)
        return;
    title_ = title;
    description_ = description;
    if (hwnd()) {
        ::SetWindowTextW(hwnd(), title.c_str());
        // A hidden band is drawn in full when it is shown.
        if (::IsWindowVisible(hwnd()))
            ::InvalidateRect(hwnd(), nullptr, TRUE);
    }
}

LRESULT CConfigItemWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto draw = [this](HDC dc, const RECT& client) { Draw(dc, client); };
    if (auto answer = win32::AnswerBufferedPaint(hwnd(), message, wParam, draw))
        return *answer;
    switch (message) {
    case WM_ENABLE:
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            ::InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    default:
        return CallDefault(message, wParam, lParam);
    }
}

void CConfigItemWindow::Draw(HDC dc, const RECT& client) const {
    bool enabled = ::IsWindowEnabled(hwnd());
    win32::FillSolid(dc, client, backgroundColor_);
    if (frame_ == 1)
        win32::FrameSolid(dc, client, enabled ? RGB(0, 0, 0) : kDisabledFrame);

    HFONT font = font_ ? font_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    win32::SelectObjectScope selectedFont(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled ? textColor_ : kDisabledText);

    const int margin = win32::ScaleForWindow(hwnd(), kTextMargin);
    int right = client.right - margin;
    int clientHeight = client.bottom - client.top;
    if (!title_.empty()) {
        int left = client.left + margin;
        SIZE size = MeasureText(dc, title_, textFormat_, right - left);
        RECT box{left, client.top + (clientHeight - size.cy) / 2, right, 0};
        box.bottom = box.top + size.cy;
        ::DrawTextW(dc, title_.c_str(), int(title_.size()), &box, textFormat_);
    }
    if (!description_.empty()) {
        UINT format = textFormat_ | DT_NOPREFIX;
        SIZE size = MeasureText(dc, description_, format, client.right - client.left);
        RECT box{right - size.cx, client.top + (clientHeight - size.cy) / 2, right, 0};
        box.bottom = box.top + size.cy;
        ::DrawTextW(dc, description_.c_str(), int(description_.size()), &box, format);
    }
}

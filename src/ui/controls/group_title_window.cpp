#include "ui/controls/group_title_window.h"

#include <cstdlib>

#include "ui/controls/page_colors.h"
#include "win32/dpi.h"
#include "win32/gdi.h"

namespace {
constexpr wchar_t kClassName[] = L"SkylumeGroupTitleWindow";
constexpr int kTextIndent = 5;
constexpr int kLineGap = 2;
constexpr int kExtraHeight = 6;
} // namespace

CGroupTitleWindow::CGroupTitleWindow(HFONT font) : font_(font) {}

HFONT CGroupTitleWindow::font() const {
    return font_ ? font_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int CGroupTitleWindow::fontHeight() const {
    LOGFONTW logFont{};
    if (::GetObjectW(font(), sizeof(logFont), &logFont) == 0)
        return 0;
    return std::abs(logFont.lfHeight);
}

bool CGroupTitleWindow::Create(const std::wstring& title, DWORD style, int x, int y, int width, int& height,
                               HWND parent, int id) {
    height = fontHeight() + win32::ScaleForWindow(parent, kExtraHeight);
    title_ = title;
    // The line runs to the right edge, so a change of width redraws everything.
    if (!RegisterControlClass(kClassName, CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, true))
        return false;
    return CreateControl(kClassName, title.c_str(), style, RECT{x, y, x + width, y + height}, parent, id);
}

LRESULT CGroupTitleWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto draw = [this](HDC dc, const RECT& client) { Draw(dc, client); };
    if (auto answer = win32::AnswerBufferedPaint(hwnd(), message, wParam, draw))
        return *answer;
    if (message == WM_SETFONT) {
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            ::InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    }
    if (message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(font_);
    return CallDefault(message, wParam, lParam);
}

void CGroupTitleWindow::Draw(HDC dc, const RECT& client) const {
    win32::FillSolid(dc, client, controls::kPageBackground);
    const int height = fontHeight();
    const int indent = win32::ScaleForWindow(hwnd(), kTextIndent);
    {
        win32::SelectObjectScope selectedFont(dc, font());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(0, 0, 0));
        RECT band{client.left + indent, client.top, client.right, client.top + height};
        ::DrawTextW(dc, title_.c_str(), int(title_.size()), &band,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    const int lineY = client.top + height + win32::ScaleForWindow(hwnd(), kLineGap);
    win32::FillSolid(dc, {client.left + indent, lineY, client.right, lineY + win32::ScaleForWindow(hwnd(), 1)},
                     kUnderline);
}

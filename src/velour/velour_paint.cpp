#include "velour/velour_paint.h"

#include <algorithm>

#include "win32/dpi.h"
#include "win32/gdi.h"

namespace velour {

int Scale(HWND window, int pixelsAt96) {
    return std::max(1, win32::ScaleForWindow(window, pixelsAt96));
}

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    const int height = rect.bottom - rect.top;
    if (height <= 0)
        return;
    for (int y = 0; y < height; ++y) {
        auto mix = [&](int a, int b) { return a + (b - a) * y / std::max(1, height - 1); };
        COLORREF color = RGB(mix(GetRValue(top), GetRValue(bottom)), mix(GetGValue(top), GetGValue(bottom)),
                             mix(GetBValue(top), GetBValue(bottom)));
        RECT line{rect.left, rect.top + y, rect.right, rect.top + y + 1};
        win32::FillSolid(dc, line, color);
    }
}

void DrawArrow(HDC dc, const RECT& rect, Arrow direction, COLORREF color) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // A solid triangle whose size follows the box, so it stays legible at any DPI.
    int size = std::max(2, std::min(width, height) / 4);
    const int cx = rect.left + width / 2, cy = rect.top + height / 2;
    for (int i = 0; i < size; ++i) {
        RECT line{};
        switch (direction) {
        case Arrow::Down:
            line = {cx - (size - i), cy - size / 2 + i, cx + (size - i) - 1, cy - size / 2 + i + 1};
            break;
        case Arrow::Up:
            line = {cx - (size - i), cy + size / 2 - i, cx + (size - i) - 1, cy + size / 2 - i + 1};
            break;
        case Arrow::Right:
            line = {cx - size / 2 + i, cy - (size - i), cx - size / 2 + i + 1, cy + (size - i) - 1};
            break;
        case Arrow::Left:
            line = {cx + size / 2 - i, cy - (size - i), cx + size / 2 - i + 1, cy + (size - i) - 1};
            break;
        }
        if (line.right > line.left && line.bottom > line.top)
            win32::FillSolid(dc, line, color);
    }
}

void DrawButtonFace(HDC dc, const RECT& rect, bool pushed, bool hot, COLORREF border, int borderWidth) {
    if (pushed)
        win32::FillSolid(dc, rect, kSelectionLight);
    else
        FillVerticalGradient(dc, rect, kFaceTop, hot ? kFaceHotBottom : kFaceBottom);
    win32::FrameSolid(dc, rect, border, borderWidth);
}

HFONT WindowFont(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HBRUSH ParentBackground(HWND control, HDC dc, UINT ctlColorMessage) {
    ::SetTextColor(dc, kText);
    HWND parent = ::GetParent(control);
    HBRUSH brush = parent
                       ? reinterpret_cast<HBRUSH>(::SendMessageW(parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc),
                                                                 reinterpret_cast<LPARAM>(control)))
                       : nullptr;
    return brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE);
}

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

} // namespace velour

#include "velour/velour_paint.h"

#include <algorithm>

namespace velour {

int Scale(HWND window, int pixelsAt96) {
    WindowDC dc(window);
    int dpi = dc.get() ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return std::max(1, ::MulDiv(pixelsAt96, dpi, 96));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    COLORREF previous = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
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
        FillSolid(dc, line, color);
    }
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color, int thickness) {
    for (int i = 0; i < thickness; ++i) {
        RECT r{rect.left + i, rect.top + i, rect.right - i, rect.bottom - i};
        if (r.right <= r.left || r.bottom <= r.top)
            return;
        FillSolid(dc, {r.left, r.top, r.right, r.top + 1}, color);
        FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, color);
        FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom}, color);
        FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, color);
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
            FillSolid(dc, line, color);
    }
}

void DrawButtonFace(HDC dc, const RECT& rect, bool pushed, bool hot, COLORREF border, int borderWidth) {
    if (pushed)
        FillSolid(dc, rect, kSelectionLight);
    else
        FillVerticalGradient(dc, rect, kFaceTop, hot ? kFaceHotBottom : kFaceBottom);
    FrameSolid(dc, rect, border, borderWidth);
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

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
    ::BeginPaint(window, &paint_);
    ::GetClientRect(window, &client_);
    if (!paint_.hdc || client_.right <= 0 || client_.bottom <= 0)
        return;
    memory_ = ::CreateCompatibleDC(paint_.hdc);
    bitmap_.reset(::CreateCompatibleBitmap(paint_.hdc, client_.right, client_.bottom));
    if (!memory_ || !bitmap_) {
        if (memory_)
            ::DeleteDC(memory_);
        memory_ = nullptr;
        return;
    }
    previousBitmap_ = ::SelectObject(memory_, bitmap_.get());
}

BufferedPaint::~BufferedPaint() {
    if (memory_) {
        ::BitBlt(paint_.hdc, 0, 0, client_.right, client_.bottom, memory_, 0, 0, SRCCOPY);
        ::SelectObject(memory_, previousBitmap_);
        ::DeleteDC(memory_);
    }
    ::EndPaint(window_, &paint_);
}

} // namespace velour

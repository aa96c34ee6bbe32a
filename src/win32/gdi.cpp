#include "win32/gdi.h"

namespace win32 {

void DrawBuffered(HWND window, HDC target, const DrawFace& draw) {
    RECT client{};
    ::GetClientRect(window, &client);
    if (!target || client.right <= 0 || client.bottom <= 0)
        return;
    MemoryDc memory(::CreateCompatibleDC(target));
    Bitmap bitmap(memory ? ::CreateCompatibleBitmap(target, client.right, client.bottom) : nullptr);
    if (!bitmap) {
        draw(target, client);
        return;
    }
    SelectObjectScope selected(memory.get(), bitmap.get());
    draw(memory.get(), client);
    ::BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void PaintBuffered(HWND window, const DrawFace& draw) {
    PaintScope paint(window);
    DrawBuffered(window, paint.dc(), draw);
}

std::optional<LRESULT> AnswerBufferedPaint(HWND window, UINT message, WPARAM wParam, const DrawFace& draw) {
    switch (message) {
    case WM_PAINT:
        PaintBuffered(window, draw);
        return 0;
    case WM_PRINTCLIENT:
        DrawBuffered(window, reinterpret_cast<HDC>(wParam), draw);
        return 0;
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would only flicker.
        return 1;
    default:
        return std::nullopt;
    }
}

// An opaque ExtTextOut fills with the background colour without creating a brush.
void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    COLORREF previous = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
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

} // namespace win32

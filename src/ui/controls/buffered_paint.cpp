#include "ui/controls/buffered_paint.h"

namespace controls {

void DrawBuffered(HWND window, HDC target, const DrawFace& draw) {
    RECT client{};
    ::GetClientRect(window, &client);
    if (!target || client.right <= 0 || client.bottom <= 0)
        return;
    MemoryDc memory(::CreateCompatibleDC(target));
    win32::Bitmap bitmap(memory ? ::CreateCompatibleBitmap(target, client.right, client.bottom) : nullptr);
    if (!bitmap) {
        draw(target, client);
        return;
    }
    {
        SelectScope selected(memory.get(), bitmap.get());
        draw(memory.get(), client);
        ::BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
}

void PaintBuffered(HWND window, const DrawFace& draw) {
    PaintScope paint(window);
    DrawBuffered(window, paint.dc(), draw);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    win32::Brush brush(::CreateSolidBrush(color));
    if (brush)
        ::FillRect(dc, &rect, brush.get());
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
    win32::Brush brush(::CreateSolidBrush(color));
    if (brush)
        ::FrameRect(dc, &rect, brush.get());
}

} // namespace controls

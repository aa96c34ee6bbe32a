#include "ui/list_drawing.h"

#include "win32/gdi.h"

void DrawSelectionBackground(HDC dc, const RECT& rect) {
    win32::FillSolid(dc, rect, kSelectionFill);
    win32::FrameSolid(dc, rect, kSelectionFrame);
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent) {
    if (!bitmap)
        return;
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof(info), &info);
    win32::MemoryDc memory(::CreateCompatibleDC(dc));
    win32::SelectObjectScope select(memory.get(), bitmap);
    if (transparent == CLR_INVALID)
        transparent = ::GetPixel(memory.get(), 0, 0);
    ::TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                     transparent);
}

void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour) {
    win32::SelectObjectScope select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT);
}

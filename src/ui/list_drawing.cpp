#include "ui/list_drawing.h"

#include "win32/app.h"
#include "win32/gdi.h"

#include <algorithm>

void DrawSelectionBackground(HDC dc, const RECT& rect) {
    win32::FillSolid(dc, rect, kSelectionFill);
    win32::FrameSolid(dc, rect, kSelectionFrame);
}

void DrawBitmapInCell(HDC dc, HBITMAP bitmap, const RECT& cell, COLORREF transparent) {
    if (!bitmap)
        return;
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof(info), &info);
    const int cellWidth = cell.right - cell.left, cellHeight = cell.bottom - cell.top;
    const int width = std::min<int>(info.bmWidth, cellWidth), height = std::min<int>(info.bmHeight, cellHeight);
    win32::MemoryDc memory(::CreateCompatibleDC(dc));
    win32::SelectObjectScope select(memory.get(), bitmap);
    if (transparent == CLR_INVALID)
        transparent = ::GetPixel(memory.get(), 0, 0);
    // Shrinking picks pixels, never blends them, so no edge pixel takes on the transparent colour.
    const int mode = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::TransparentBlt(dc, cell.left + (cellWidth - width) / 2, cell.top + (cellHeight - height) / 2, width, height,
                     memory.get(), 0, 0, info.bmWidth, info.bmHeight, transparent);
    ::SetStretchBltMode(dc, mode);
}

win32::Bitmap LoadListBitmap(int scaledId, int fallbackId) {
    HINSTANCE resources = win32::GetResourceHandle();
    for (int id : {scaledId, fallbackId})
        if (HANDLE bitmap = ::LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
            return win32::Bitmap(static_cast<HBITMAP>(bitmap));
    return win32::Bitmap();
}

void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour) {
    win32::SelectObjectScope select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT);
}

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

void DrawItemBackground(const DRAWITEMSTRUCT& drawn) {
    if (drawn.itemState & ODS_SELECTED) {
        DrawSelectionBackground(drawn.hDC, drawn.rcItem);
    } else {
        win32::Brush background(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
        ::FillRect(drawn.hDC, &drawn.rcItem, background.get());
    }
}

void DrawItemFocus(const DRAWITEMSTRUCT& drawn) {
    if ((drawn.itemState & ODS_FOCUS) && !(drawn.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(drawn.hDC, &drawn.rcItem);
}

void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour, UINT format) {
    win32::SelectObjectScope select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect, format);
}

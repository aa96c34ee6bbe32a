// Drawing shared by the owner-drawn lists of the settings window (categories, modules).
#pragma once
#include <windows.h>

#include <string>

#include "win32/handle.h"

inline constexpr COLORREF kSelectionFill = 0x00FFDF8E;
inline constexpr COLORREF kSelectionFrame = 0x00E3B13B;

// The selected item's background: a light fill inside a stronger frame.
void DrawSelectionBackground(HDC dc, const RECT& rect);
// Draws a bitmap centred in a cell with one colour transparent (CLR_INVALID: its top-left pixel's); a bitmap
// larger than the cell is shrunk to it, a smaller one keeps its size.
void DrawBitmapInCell(HDC dc, HBITMAP bitmap, const RECT& cell, COLORREF transparent = CLR_INVALID);
// A list bitmap of the active resources: `scaledId` (the set for the window's DPI), or `fallbackId` without it.
win32::Bitmap LoadListBitmap(int scaledId, int fallbackId);
// An owner-drawn list item's background: the selection's for a selected item, the window colour otherwise.
void DrawItemBackground(const DRAWITEMSTRUCT& drawn);
// The focus rectangle of the item that has the focus, unless the list hides focus rectangles.
void DrawItemFocus(const DRAWITEMSTRUCT& drawn);
inline constexpr UINT kItemTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT;
// Text in `font` and `colour` on a transparent background; by default one line, vertically centred, cut with an
// ellipsis, without prefix processing.
void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour,
                  UINT format = kItemTextFormat);

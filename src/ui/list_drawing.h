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
// One line of text, vertically centred, cut with an ellipsis, without prefix processing.
void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour);

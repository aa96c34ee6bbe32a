// Drawing shared by the owner-drawn lists of the settings window (categories, modules).
#pragma once
#include <windows.h>

#include <string>

inline constexpr COLORREF kSelectionFill = 0x00FFDF8E;
inline constexpr COLORREF kSelectionFrame = 0x00E3B13B;

// The selected item's background: a light fill inside a stronger frame.
void DrawSelectionBackground(HDC dc, const RECT& rect);
// Draws a bitmap with one colour transparent; CLR_INVALID takes the colour of its top-left pixel.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent = CLR_INVALID);
// One line of text, vertically centred, cut with an ellipsis, without prefix processing.
void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour);

// One-line text shortened with an end ellipsis to fit a width, as DrawText lays it out.
#pragma once
#include <windows.h>

#include <string>

// The text as DrawText shows it on one line in `width` x `height` pixels with `font` (no prefix processing, end
// ellipsis): unchanged when it fits, else cut with the ellipsis included.
std::wstring FitTextWithEllipsis(const std::wstring& text, HFONT font, int width, int height);
// Width of `text` in pixels with `font`, on one line without prefix processing.
int MeasureTextWidth(const std::wstring& text, HFONT font);

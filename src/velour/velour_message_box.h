// The library's modal message box, with the system MessageBox's type flags and results.
#pragma once
#include <windows.h>

int VelourMessageBox(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner);

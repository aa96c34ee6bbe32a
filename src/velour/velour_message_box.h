// The library's modal message box, with the system MessageBox's type flags and results.
#pragma once
#include <windows.h>

// Shows a skinned box owned by (and disabling) owner; button texts come from the active language resources.
// Returns the pressed button's id (IDOK, IDCANCEL, IDYES, ...), or 0 when the box could not be created.
int VelourMessageBox(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner);

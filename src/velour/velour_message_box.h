// The library's modal message box, with the system MessageBox's type flags and results.
#pragma once
#include <windows.h>

#include <vector>

// Shows a skinned box owned by (and disabling) owner; button texts come from the active language resources.
// Returns the pressed button's id (IDOK, IDCANCEL, IDYES, ...), or 0 when the box could not be created.
int VelourMessageBox(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner);

// One button of a box: its result id and the string of its text in the language resources (fallback when the
// string is missing).
struct VelourBoxButton {
    int id;
    UINT stringId;
    const wchar_t* fallback;
};

// The buttons a box of the given type shows, left to right.
std::vector<VelourBoxButton> VelourMessageBoxButtons(UINT type);

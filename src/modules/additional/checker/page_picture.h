// The module page as the settings window shows it: its size in a language, and a picture of it.
#pragma once
#include <windows.h>

#include <string>

// The size of the settings window's page area in the active language library (its dialog template and font), or
// an empty size when the library lacks the template. `host` is a window that a probe page can be created in.
SIZE SettingsPageSize(HWND host);

// The page window and everything on it, drawn into a bitmap of the page's size through WM_PRINT and
// WM_PRINTCLIENT (so windows lying over it on the screen are not in it), saved as PNG.
bool SavePagePicture(HWND page, const std::wstring& path);

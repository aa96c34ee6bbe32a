// The DPI a window is laid out for, and lengths designed at 96 DPI scaled to it. Every size the program lays out
// or draws in pixels goes through here, so the window looks the same at every scaling.
#pragma once
#include <windows.h>

#include <functional>

namespace win32 {

inline constexpr int kDesignDpi = 96;
// Sent to child windows once their top-level window has taken a new DPI (Windows 10 1703 and later; the
// program also sends it itself).
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

// `pixelsAt96` at `dpi`, rounded to the nearest pixel (MulDiv), so 96 DPI keeps every length as it is.
int ScaleToDpi(int pixelsAt96, int dpi);

// The DPI the window is laid out for: the one its top-level window recorded (SetLayoutDpi), else the window's
// own (GetDpiForWindow where the platform has it), else the screen's LOGPIXELSY.
int WindowDpi(HWND window);
inline int ScaleForWindow(HWND window, int pixelsAt96) {
    return ScaleToDpi(pixelsAt96, WindowDpi(window));
}

// Records on a top-level window the DPI it has laid itself out for, so that every control inside it draws for
// that DPI even while a DPI change is under way; 0 removes the record.
void SetLayoutDpi(HWND topLevel, int dpi);

// A system metric at `dpi` (GetSystemMetricsForDpi where the platform has it, else the metric scaled from the
// system DPI).
int SystemMetricForDpi(int index, int dpi);

// The dialog base units of a font as the dialog manager computes them: pixels per 4 horizontal and per 8
// vertical dialog units.
SIZE DialogBaseUnits(HFONT font);

// Keeps the platform from rescaling a dialog and its controls by itself when its DPI changes (per-monitor
// awareness); the program lays it out anew itself. Nothing where the platform has no such behaviour.
void KeepDialogFromRescaling(HWND dialog);

// Moves and sizes every descendant of `parent` from `fromDpi` to `toDpi` (positions and sizes in proportion,
// owner-drawn list and combo items too), gives each the font `fontFor` answers for its current one, and then
// tells each that the DPI changed (kDpiChangedAfterParent), as the platform does for child windows.
void RescaleChildWindows(HWND parent, int fromDpi, int toDpi, const std::function<HFONT(HFONT)>& fontFor);

} // namespace win32

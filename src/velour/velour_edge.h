// Hooks that skin the non-client parts of a window: a one-pixel edge, and its standard scroll bars.
#pragma once
#include <windows.h>

#include "velour/velour_hook.h"

// Draws a one-pixel edge in the skin's edge colour around the hooked window (lists and pages).
class VelourEdge : public velour::WindowHook {
public:
    bool HookWindow(HWND window);

protected:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintEdge();
};

// Keeps the window's standard scroll bars, with their behaviour, and paints over them after the system has drawn
// them: after every non-client paint and whenever their position or state changes.
class AbstractScrollBarPaintHook : public velour::WindowHook {
public:
    bool HookWindow(HWND window);
    // Marks the vertical thumb with a focus rectangle while the window has the focus (for a window whose scroll
    // bar is its keyboard stop).
    void MarkFocus(bool mark) { markFocus_ = mark; }

protected:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // bar is in window coordinates; info as GetScrollBarInfo gives it.
    virtual void PaintScrollBar(HDC dc, const RECT& bar, const SCROLLBARINFO& info, bool vertical) = 0;
    virtual void PaintSizeBox(HDC dc, const RECT& box) = 0;

private:
    // Into the window's own DC, or into `given` (window coordinates, WM_PRINT).
    void PaintScrollBars(HDC given = nullptr);
    ULONGLONG ScrollState() const;
    ULONGLONG lastState_ = 0;
    bool painting_ = false;
    bool markFocus_ = false;
};

class VelourScrollBarPaintHook : public AbstractScrollBarPaintHook {
protected:
    void PaintScrollBar(HDC dc, const RECT& bar, const SCROLLBARINFO& info, bool vertical) override;
    void PaintSizeBox(HDC dc, const RECT& box) override;
};

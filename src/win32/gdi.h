// Scope guards and small drawing helpers for GDI, shared by the skin, the owner-drawn lists and the custom controls.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "win32/handle.h"

namespace win32 {

// Selects an object into a DC for the life of the scope and puts the previous one back.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectObjectScope() {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GetDC (client area) or GetWindowDC (whole window, for painting the non-client frame), released at scope end.
class WindowDc {
public:
    enum class Area { Client, WholeWindow };
    explicit WindowDc(HWND window, Area area = Area::Client) noexcept
        : window_(window), dc_(area == Area::WholeWindow ? ::GetWindowDC(window) : ::GetDC(window)) {}
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) { ::BeginPaint(window, &paint_); }
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return paint_.hdc; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Draws a face whole: the DC to draw into and the client rectangle (origin 0, 0).
using DrawFace = std::function<void(HDC dc, const RECT& client)>;

// Draws through an off-screen bitmap of the client size into `target`, so a face painted in layers never
// flickers. Should the bitmap not be available, the face is drawn straight into `target` rather than not at all.
void DrawBuffered(HWND window, HDC target, const DrawFace& draw);
// The answer to WM_PAINT for a window whose face covers its whole client area.
void PaintBuffered(HWND window, const DrawFace& draw);
// The answer to WM_PAINT, WM_PRINTCLIENT and WM_ERASEBKGND for such a window; nothing for any other message.
std::optional<LRESULT> AnswerBufferedPaint(HWND window, UINT message, WPARAM wParam, const DrawFace& draw);

void FillSolid(HDC dc, const RECT& rect, COLORREF color);
// A frame drawn inside `rect`; thicker frames grow inwards.
void FrameSolid(HDC dc, const RECT& rect, COLORREF color, int thickness = 1);

} // namespace win32

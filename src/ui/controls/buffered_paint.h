// The one double-buffered painting path of the custom controls: a control draws its whole face into an
// off-screen bitmap of the client size, which is then copied out in one go, so nothing flickers.
#pragma once
#include <windows.h>

#include <functional>

#include "win32/handle.h"

namespace controls {

struct MemoryDcTraits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer dc) noexcept { ::DeleteDC(dc); }
};
using MemoryDc = win32::UniqueHandle<MemoryDcTraits>;
using Pen = win32::UniqueHandle<win32::GdiObjectTraits<HPEN>>;

// Selects an object into a DC for the life of the scope and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GetDC/ReleaseDC of a window's client area.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
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

// Draws the face: the DC is the off-screen one, the rectangle the client area (origin 0, 0).
using DrawFace = std::function<void(HDC dc, const RECT& client)>;

// Draws through an off-screen bitmap of the client size into `target`. Should the bitmap not be available, the
// face is drawn straight into `target` rather than not at all.
void DrawBuffered(HWND window, HDC target, const DrawFace& draw);
// The answer to WM_PAINT.
void PaintBuffered(HWND window, const DrawFace& draw);

void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);

} // namespace controls

#include "ui/list_drawing.h"

#include "win32/handle.h"

namespace {
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectGuard() { ::SelectObject(dc_, previous_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
} // namespace

void DrawSelectionBackground(HDC dc, const RECT& rect) {
    win32::Brush fill(::CreateSolidBrush(kSelectionFill));
    win32::Brush frame(::CreateSolidBrush(kSelectionFrame));
    ::FillRect(dc, &rect, fill.get());
    ::FrameRect(dc, &rect, frame.get());
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent) {
    if (!bitmap)
        return;
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof(info), &info);
    HDC memory = ::CreateCompatibleDC(dc);
    {
        SelectGuard select(memory, bitmap);
        if (transparent == CLR_INVALID)
            transparent = ::GetPixel(memory, 0, 0);
        ::TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, info.bmWidth, info.bmHeight,
                         transparent);
    }
    ::DeleteDC(memory);
}

void DrawItemText(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF colour) {
    SelectGuard select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT);
}

// A group heading: one line of text on the page colour with a thin line under it to the right edge.
#pragma once
#include <windows.h>

#include <string>

#include "ui/controls/control_window.h"

class CGroupTitleWindow : public controls::ControlWindow {
public:
    static constexpr COLORREF kUnderline = RGB(170, 177, 187);

    // The font is borrowed and must outlive the window.
    explicit CGroupTitleWindow(HFONT font);

    // The window is as high as the font plus room for the line; that height is returned in `height`.
    bool Create(const std::wstring& title, DWORD style, int x, int y, int width, int& height, HWND parent, int id);
    const std::wstring& title() const noexcept { return title_; }
    // The absolute height of the font, the band in which the title is drawn.
    int fontHeight() const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Draw(HDC dc, const RECT& client) const;
    HFONT font() const;

    HFONT font_;
    std::wstring title_;
};

// A text band with a title on the left and a description on the right: the settings window's title band and the
// path display of the file selector.
#pragma once
#include <windows.h>

#include <string>

#include "ui/controls/control_window.h"

class CConfigItemWindow : public controls::ControlWindow {
public:
    static constexpr COLORREF kDisabledFrame = 0x00CDC9C3;
    static constexpr COLORREF kDisabledText = 0x00B3B1AC;

    // The font is borrowed and must outlive the window. `frame` 1 draws a one-pixel frame along the edge.
    CConfigItemWindow(HFONT font, COLORREF textColor, COLORREF backgroundColor, UINT textFormat, int frame);

    bool Create(DWORD style, const RECT& rect, HWND parent, int id);
    void SetTexts(const std::wstring& title, const std::wstring& description);
    const std::wstring& title() const noexcept { return title_; }
    const std::wstring& description() const noexcept { return description_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Draw(HDC dc, const RECT& client) const;

    HFONT font_;
    COLORREF textColor_;
    COLORREF backgroundColor_;
    UINT textFormat_;
    int frame_;
    std::wstring title_;
    std::wstring description_;
};

// A hyperlink-like text. Clicking the text, or Enter or Space while it has the focus, sends WM_COMMAND with the
// control's id to the parent, which opens whatever the link stands for. Once any link has been used, every link
// of the process shows the visited colour.
#pragma once
#include <windows.h>

#include <string>

#include "ui/controls/control_geometry.h"
#include "ui/controls/control_window.h"
#include "win32/handle.h"

class CLinkControl : public controls::ControlWindow {
public:
    static constexpr wchar_t kClassName[] = L"LinkControlClass";
    static constexpr COLORREF kUnvisitedText = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedText = RGB(100, 0, 200);

    // Registers the window class if needed, so that dialog templates using it can be created afterwards.
    CLinkControl();
    static bool RegisterLinkClass();

    // Made in code, the link takes its parent's font; a link from a dialog template gets the dialog's font
    // through WM_SETFONT. Attach (from the base) takes over a link of a dialog template.
    bool Create(const std::wstring& text, DWORD style, const RECT& rect, HWND parent, int id);
    // Same as WM_SETTEXT: stores the text and measures it again.
    void SetText(const std::wstring& text);
    const std::wstring& text() const noexcept { return text_; }
    // Where the text lies inside the control; only that part answers the mouse.
    controls::TextSpan span() const noexcept { return span_; }

    // One flag for the whole process: it never goes back to 0 in a run of the program.
    static bool Visited() noexcept { return visited_; }
    // For tests that need the state of a fresh run.
    static void ResetVisited() noexcept { visited_ = false; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;
    void OnWindowGone() override;

private:
    void SetFont(HFONT font);
    void Measure();
    void Draw(HDC dc, const RECT& client) const;
    void OnMouseMove(int x, int y);
    void RestoreCursor();
    void Activate();
    bool InSpan(LPARAM point) const;

    static inline bool visited_ = false;

    win32::Font font_;
    win32::Font underlinedFont_;
    std::wstring text_;
    bool trackingMouse_ = false;
    bool handShown_ = false;
    HCURSOR restoreCursor_ = nullptr;
    controls::TextSpan span_;
    int textHeight_ = 0;
};

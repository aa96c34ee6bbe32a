// The picture box: shows one picture file through GDI+, either stretched over the box or, with fit on, whole and
// centred on black. GDI+ must have been started by the caller.
#pragma once
#include <windows.h>

#include <string>

#include "ui/controls/control_window.h"
#include "win32/handle.h"

class CImageControl : public controls::ControlWindow {
public:
    static constexpr wchar_t kClassName[] = L"ImageControlClass";

    // Registers the window class if needed, so that dialog templates using it can be created afterwards.
    CImageControl();
    static bool RegisterImageClass();

    bool Create(DWORD style, const RECT& rect, HWND parent, int id);
    // Shows the picture of `path`; a missing or unreadable file shows nothing.
    void Load(const std::wstring& path);
    // 1 keeps the picture's proportions on black, 0 stretches it over the box.
    void SetFit(int fit);
    const std::wstring& path() const noexcept { return path_; }
    int fit() const noexcept { return fit_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;

private:
    void Draw(HDC dc, const RECT& client);
    void Render(HDC reference);
    void DrawPicture(HDC dc, int width, int height) const;

    std::wstring path_;
    int fit_ = 0;
    // The picture as last drawn, kept while the client size stays the same so that repaints only copy it.
    win32::Bitmap picture_;
    SIZE pictureSize_{};
};

// The Flash Player control embedded in a page through ATL's control host window, driven through its dispatch
// interface: the movie path and the scale mode.
#pragma once
#include "win32/com.h"
#include "win32/handle.h"

#include <optional>
#include <string>

class FlashPreview {
public:
    // Creates the host window with the control as a child of `parent`; false when the host or the control is
    // missing (the window may then exist without a control).
    bool Create(HWND parent, const RECT& rect, int id);
    HWND hwnd() const { return host_; }

    std::optional<long> GetScaleMode() const;
    bool SetScaleMode(long mode) const;
    bool SetMovie(const std::wstring& path) const;

private:
    bool Put(DISPID id, VARIANT& value) const;

    win32::Module atl_;
    HWND host_ = nullptr;
    win32::ComPtr<IDispatch> control_;
};

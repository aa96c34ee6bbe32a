// A C++ object attached to an existing window through a comctl32 subclass. Several hooks may sit on one
// window (a list with an edge and a scroll bar hook); each is told apart by its own address.
#pragma once
#include <windows.h>

namespace velour {

class WindowHook {
public:
    WindowHook() = default;
    // Derived hooks that react in OnUnhooking must call Unhook in their own destructor.
    virtual ~WindowHook();
    WindowHook(const WindowHook&) = delete;
    WindowHook& operator=(const WindowHook&) = delete;

    bool Hook(HWND window);
    void Unhook();
    HWND hookedWindow() const { return hwnd_; }

protected:
    virtual LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The rest of the chain; only valid while a message is being handled by HookProc.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnHooked() {}
    virtual void OnUnhooking() {}

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
    HWND hwnd_ = nullptr;
};

} // namespace velour

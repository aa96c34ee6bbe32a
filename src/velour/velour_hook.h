// A C++ object attached to an existing window by subclassing it. Several hooks may sit on one window (a list with
// an edge and a scroll bar hook); the newest sees each message first and passes it on with Default.
//
// The hooks of a window are found in a table of this process, not through window properties: under Wine every
// property lookup is a round trip to the server, and comctl32's SetWindowSubclass makes two of them per message.
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

    // The first hook on `window` (the newest first) that `accept` takes, or nullptr.
    static WindowHook* Find(HWND window, bool (*accept)(const WindowHook*));

protected:
    virtual LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The rest of the chain; only valid while a message is being handled by HookProc.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnHooked() {}
    virtual void OnUnhooking() {}

private:
    friend struct HookChain;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    // The window of the message being handled, so Default still reaches the chain after an Unhook inside it.
    HWND handling_ = nullptr;
};

} // namespace velour

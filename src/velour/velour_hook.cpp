#include "velour/velour_hook.h"

#include <commctrl.h>

namespace velour {

WindowHook::~WindowHook() {
    Unhook();
}

bool WindowHook::Hook(HWND window) {
    if (hwnd_ || !window || !::IsWindow(window))
        return false;
    if (!::SetWindowSubclass(window, Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = window;
    OnHooked();
    return true;
}

void WindowHook::Unhook() {
    if (!hwnd_)
        return;
    OnUnhooking();
    ::RemoveWindowSubclass(hwnd_, Proc, reinterpret_cast<UINT_PTR>(this));
    hwnd_ = nullptr;
}

LRESULT WindowHook::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT WindowHook::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowHook::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<WindowHook*>(data);
    if (message == WM_NCDESTROY) {
        LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        if (self->hwnd_ == window)
            self->Unhook();
        return result;
    }
    // Skin drawing must never take a window procedure down with it.
    try {
        return self->HookProc(message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

} // namespace velour

#include "velour/velour_hook.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace velour {

// The hooks of one window, the newest first, and the window procedure the window had before the first of them.
// A window's chain is changed only on the window's own thread; the table's lock keeps other threads' lookups safe.
struct HookChain {
    WNDPROC original = nullptr;
    std::vector<WindowHook*> hooks;
    bool destroying = false;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Hands the message to the hook at `index`, or past the last hook to the original procedure.
    static LRESULT CallFrom(HWND window, size_t index, UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

SRWLOCK g_chainsLock = SRWLOCK_INIT;

std::unordered_map<HWND, HookChain>& Chains() {
    static std::unordered_map<HWND, HookChain> chains;
    return chains;
}

// A chain stays where it is in the table until its window is destroyed or its last hook goes, so the pointer may
// be used on the window's own thread until then.
HookChain* Lookup(HWND window) {
    ::AcquireSRWLockShared(&g_chainsLock);
    auto found = Chains().find(window);
    HookChain* chain = found == Chains().end() ? nullptr : &found->second;
    ::ReleaseSRWLockShared(&g_chainsLock);
    return chain;
}

class ExclusiveLock {
public:
    ExclusiveLock() { ::AcquireSRWLockExclusive(&g_chainsLock); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&g_chainsLock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
};

} // namespace

LRESULT HookChain::CallFrom(HWND window, size_t index, UINT message, WPARAM wParam, LPARAM lParam) {
    HookChain* chain = Lookup(window);
    if (!chain)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (index < chain->hooks.size())
        return chain->hooks[index]->Handle(window, message, wParam, lParam);
    return ::CallWindowProcW(chain->original, window, message, wParam, lParam);
}

LRESULT CALLBACK HookChain::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HookChain* chain = Lookup(window);
    if (!chain)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return CallFrom(window, 0, message, wParam, lParam);
    // The window goes: the rest of the chain sees its last message, then every hook lets go of it.
    chain->destroying = true;
    const LRESULT result = ::CallWindowProcW(chain->original, window, message, wParam, lParam);
    while ((chain = Lookup(window)) != nullptr && !chain->hooks.empty())
        chain->hooks.front()->Unhook();
    ExclusiveLock lock;
    Chains().erase(window);
    return result;
}

WindowHook::~WindowHook() {
    Unhook();
}

bool WindowHook::Hook(HWND window) {
    // Like comctl32's subclassing, only the window's own thread may hook it.
    if (hwnd_ || !window || !::IsWindow(window) ||
        ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
        return false;
    {
        ExclusiveLock lock;
        auto [found, added] = Chains().try_emplace(window);
        HookChain& chain = found->second;
        if (added) {
            chain.original = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookChain::Proc)));
            if (!chain.original) {
                Chains().erase(found);
                return false;
            }
        }
        chain.hooks.insert(chain.hooks.begin(), this);
    }
    hwnd_ = window;
    OnHooked();
    return true;
}

void WindowHook::Unhook() {
    if (!hwnd_)
        return;
    OnUnhooking();
    const HWND window = hwnd_;
    hwnd_ = nullptr;
    ExclusiveLock lock;
    auto found = Chains().find(window);
    if (found == Chains().end())
        return;
    HookChain& chain = found->second;
    chain.hooks.erase(std::remove(chain.hooks.begin(), chain.hooks.end(), this), chain.hooks.end());
    if (!chain.hooks.empty() || chain.destroying)
        return;
    // The window gets its own procedure back, unless a later subclass sits on top of ours: then ours stays in
    // place, passing everything on, until the window is destroyed.
    if (::GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HookChain::Proc)) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.original));
        Chains().erase(found);
    }
}

WindowHook* WindowHook::Find(HWND window, bool (*accept)(const WindowHook*)) {
    if (!window)
        return nullptr;
    ::AcquireSRWLockShared(&g_chainsLock);
    WindowHook* result = nullptr;
    auto found = Chains().find(window);
    if (found != Chains().end())
        for (WindowHook* hook : found->second.hooks)
            if (accept(hook)) {
                result = hook;
                break;
            }
    ::ReleaseSRWLockShared(&g_chainsLock);
    return result;
}

LRESULT WindowHook::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT WindowHook::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND previous = handling_;
    handling_ = window;
    LRESULT result = 0;
    // Skin drawing must never take a window procedure down with it.
    try {
        result = HookProc(message, wParam, lParam);
    } catch (...) {
        result = Default(message, wParam, lParam);
    }
    handling_ = previous;
    return result;
}

LRESULT WindowHook::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = handling_ ? handling_ : hwnd_;
    if (!window)
        return 0;
    HookChain* chain = Lookup(window);
    if (!chain)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // The next older hook; a hook that let go of the window while handling the message passes it straight to the
    // window's own procedure.
    auto self = std::find(chain->hooks.begin(), chain->hooks.end(), this);
    const size_t next = self == chain->hooks.end() ? chain->hooks.size() : size_t(self - chain->hooks.begin()) + 1;
    return HookChain::CallFrom(window, next, message, wParam, lParam);
}

} // namespace velour

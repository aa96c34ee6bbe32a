#include "win32/dpi.h"

#include "win32/gdi.h"
#include "win32/window_table.h"

namespace win32 {

namespace {

// Asked for by every control as it draws, so kept in the process rather than as a window property.
WindowTable<int>& LayoutDpis() {
    static WindowTable<int> dpis;
    return dpis;
}

// Functions of Windows 10 (1607 and later); the program also runs where user32 lacks them.
template <typename Function> Function User32Function(const char* name) {
    static HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

int SystemDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return value > 0 ? value : kDesignDpi;
    }();
    return dpi;
}

} // namespace

int ScaleToDpi(int pixelsAt96, int dpi) {
    return ::MulDiv(pixelsAt96, dpi, kDesignDpi);
}

int WindowDpi(HWND window) {
    if (HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr)
        if (const std::optional<int> recorded = LayoutDpis().Find(root))
            return *recorded;
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window && getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window); dpi > 0)
            return int(dpi);
    return SystemDpi();
}

void SetLayoutDpi(HWND topLevel, int dpi) {
    if (dpi > 0)
        LayoutDpis().Set(topLevel, dpi);
    else
        LayoutDpis().Erase(topLevel);
}

int SystemMetricForDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(index, UINT(dpi));
    return ::MulDiv(::GetSystemMetrics(index), dpi, SystemDpi());
}

SIZE DialogBaseUnits(HFONT font) {
    WindowDc screen(nullptr);
    SelectObjectScope selected(screen.get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.get(), &metrics);
    SIZE alphabet{};
    ::GetTextExtentPoint32W(screen.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    return {(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
}

void KeepDialogFromRescaling(HWND dialog) {
    // DDC_DISABLE_ALL: no resize, no font update, no relayout of the controls.
    using SetBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = User32Function<SetBehaviorFunction>("SetDialogDpiChangeBehavior");
    if (setBehavior)
        setBehavior(dialog, 0x0001, 0x0001);
}

void RescaleChildWindows(HWND parent, int fromDpi, int toDpi, const std::function<HFONT(HFONT)>& fontFor) {
    auto scale = [fromDpi, toDpi](LONG value) { return int(::MulDiv(value, toDpi, fromDpi)); };
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        const bool combo = ::lstrcmpiW(className, L"ComboBox") == 0;
        if (HFONT font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)))
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(font)), FALSE);
        RECT rect;
        ::GetWindowRect(child, &rect);
        // A combo box is sized with its drop-down list, as its template gives it.
        if (combo)
            ::SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rect));
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        ::SetWindowPos(child, nullptr, scale(rect.left), scale(rect.top), scale(rect.right - rect.left),
                       scale(rect.bottom - rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
        if (::lstrcmpiW(className, L"ListBox") == 0 && (style & LBS_OWNERDRAWFIXED))
            ::SendMessageW(child, LB_SETITEMHEIGHT, 0, scale(LONG(::SendMessageW(child, LB_GETITEMHEIGHT, 0, 0))));
        if (combo && (style & CBS_OWNERDRAWFIXED))
            ::SendMessageW(child, CB_SETITEMHEIGHT, 0, scale(LONG(::SendMessageW(child, CB_GETITEMHEIGHT, 0, 0))));
        // Windows that hold controls of their own (pages, additional-module items) are laid out the same way;
        // a standard control places its own parts.
        if ((::GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) || ::lstrcmpW(className, L"#32770") == 0)
            RescaleChildWindows(child, fromDpi, toDpi, fontFor);
        ::SendMessageW(child, kDpiChangedAfterParent, 0, 0);
    }
}

} // namespace win32

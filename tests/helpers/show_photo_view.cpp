// For screenshots: opens the photo page's view settings dialog in the running settings window and prints the
// dialog's rectangle on screen as "x y width height". With "close" it cancels the dialog.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
HWND FindViewDialog() {
    HWND found = nullptr;
    ::EnumWindows(
        [](HWND window, LPARAM data) CALLBACK -> BOOL {
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            // The view dialog is the one top-level dialog with the interval edit.
            if (std::wstring(className) == L"#32770" && ::GetDlgItem(window, 1017) && ::IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"close") {
        if (HWND dialog = FindViewDialog())
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ::Sleep(300);
        return 0;
    }
    HWND window = ::FindWindowW(L"TesselSetting0505301612", nullptr);
    if (!window)
        return 1;
    for (HWND page = ::GetWindow(window, GW_CHILD); page; page = ::GetWindow(page, GW_HWNDNEXT)) {
        if (::GetDlgItem(page, 1052) && ::GetDlgItem(page, 1004))
            ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), LPARAM(::GetDlgItem(page, 1004)));
    }
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !dialog; ++i) {
        ::Sleep(50);
        dialog = FindViewDialog();
    }
    if (!dialog)
        return 2;
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(500);
    RECT rect;
    ::GetWindowRect(dialog, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

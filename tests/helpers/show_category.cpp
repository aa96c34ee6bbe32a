// For screenshots: waits for the settings window, selects a category by index and prints the window's
// rectangle on screen as "x y width height"; a negative index counts from the end (-1 is the last category). With
// "close" it cancels the window and waits until it is gone.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"close") {
        HWND open = ::FindWindowW(L"TesselSetting0505301612", nullptr);
        if (open)
            ::PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 200 && ::FindWindowW(L"TesselSetting0505301612", nullptr); ++i)
            ::Sleep(50);
        return 0;
    }
    int index = argc > 1 ? _wtoi(argv[1]) : 0;
    HWND window = nullptr;
    for (int i = 0; i < 300 && !(window && ::IsWindowEnabled(::GetDlgItem(window, IDOK))); ++i) {
        window = ::FindWindowW(L"TesselSetting0505301612", nullptr);
        ::Sleep(50);
    }
    if (!window)
        return 1;
    HWND list = ::GetDlgItem(window, 1001);
    const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (index < 0)
        index += count;
    if (index < 0 || index >= count)
        return 2;
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(list));
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(500);
    RECT rect;
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

// For screenshots: waits for the settings window and selects the category whose page holds control `id` (or every
// control of a list such as "1001,1012,1015", since pages share control ids); with a
// command id it then posts that command to the page and waits for the dialog it opens. Prints the rectangle on
// screen of the settings window, or of the dialog, as "x y width height". With "close" it closes an open dialog
// and the settings window and waits until they are gone.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kSettingsClass[] = L"TesselSetting0505301612";

bool IsDialog(HWND window) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return std::wstring(className) == L"#32770";
}

bool HoldsEvery(HWND page, const std::wstring& ids) {
    for (size_t start = 0; start < ids.size();) {
        const size_t end = std::min(ids.find(L',', start), ids.size());
        if (!::GetDlgItem(page, _wtoi(ids.substr(start, end - start).c_str())))
            return false;
        start = end + 1;
    }
    return true;
}

HWND PageWith(HWND window, const std::wstring& ids) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (IsDialog(child) && HoldsEvery(child, ids))
            return child;
    return nullptr;
}

// A visible top-level dialog of the settings window's thread.
HWND OpenDialog(HWND settings) {
    struct Search {
        DWORD thread;
        HWND found;
    } search{::GetWindowThreadProcessId(settings, nullptr), nullptr};
    ::EnumThreadWindows(
        search.thread,
        [](HWND window, LPARAM data) CALLBACK -> BOOL {
            if (IsDialog(window) && ::IsWindowVisible(window)) {
                reinterpret_cast<Search*>(data)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        LPARAM(&search));
    return search.found;
}

void PrintRect(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(500);
    RECT rect;
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    HWND window = nullptr;
    if (argc > 1 && std::wstring(argv[1]) == L"close") {
        window = ::FindWindowW(kSettingsClass, nullptr);
        if (HWND dialog = window ? OpenDialog(window) : nullptr) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            ::Sleep(300);
        }
        if (window)
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 200 && ::FindWindowW(kSettingsClass, nullptr); ++i)
            ::Sleep(50);
        return 0;
    }
    if (argc < 2)
        return 2;
    const std::wstring ids = argv[1];
    for (int i = 0; i < 300 && !(window && ::IsWindowEnabled(::GetDlgItem(window, IDOK))); ++i) {
        window = ::FindWindowW(kSettingsClass, nullptr);
        ::Sleep(50);
    }
    HWND page = window ? PageWith(window, ids) : nullptr;
    if (!page)
        return 1;
    HWND list = ::GetDlgItem(window, 1001);
    const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count && !::IsWindowVisible(page); ++index) {
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(list));
    }
    ::SetForegroundWindow(window);
    if (argc < 3) {
        PrintRect(window);
        return 0;
    }
    // Commands that open a dialog act on the page's current selection; the first list item is selected on load.
    if (argc > 3) {
        HWND pageList = ::GetDlgItem(page, 1001);
        ::SendMessageW(pageList, LB_SETCURSEL, _wtoi(argv[3]), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(pageList));
    }
    const int command = _wtoi(argv[2]);
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), LPARAM(::GetDlgItem(page, command)));
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !dialog; ++i) {
        ::Sleep(50);
        dialog = OpenDialog(window);
    }
    if (!dialog)
        return 3;
    PrintRect(dialog);
    return 0;
}

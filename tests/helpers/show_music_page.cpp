// For screenshots of the music and wake-up pages: waits for the settings window and, by mode,
//   page <control id>      selects the category whose page holds that control and prints the window's rectangle
//   albums                 selects the wake-up page, drops its album list down and prints the window's rectangle
//   browser <folder>       opens the music page's folder browser, selects the folder and prints the browser's
//                          rectangle
//   close                  closes the browser, if open, and the settings window
// Rectangles are printed as "x y width height".
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kWindowClass[] = L"TesselSetting0505301612";

HWND WaitForSettings() {
    HWND window = nullptr;
    for (int i = 0; i < 1200 && !(window && ::IsWindowEnabled(::GetDlgItem(window, IDOK))); ++i) {
        window = ::FindWindowW(kWindowClass, nullptr);
        ::Sleep(50);
    }
    return window;
}

HWND PageWith(HWND window, int id) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, id))
            return child;
    return nullptr;
}

void SelectPage(HWND window, HWND page) {
    HWND list = ::GetDlgItem(window, 1001);
    const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        ::SendMessageW(list, LB_SETCURSEL, i, 0);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(list));
        if (::IsWindowVisible(page))
            break;
    }
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(500);
}

void PrintRect(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

HWND FindBrowser(DWORD processId) {
    for (int i = 0; i < 200; ++i) {
        for (HWND top = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); top;
             top = ::FindWindowExW(nullptr, top, L"#32770", nullptr)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner == processId && ::FindWindowExW(top, nullptr, L"SysTreeView32", nullptr))
                return top;
        }
        ::Sleep(50);
    }
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    HWND window = mode == L"close" ? ::FindWindowW(kWindowClass, nullptr) : WaitForSettings();
    if (!window)
        return 1;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (mode == L"close") {
        if (HWND browser = FindBrowser(processId)) {
            ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
            ::Sleep(300);
        }
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 200 && ::FindWindowW(kWindowClass, nullptr); ++i)
            ::Sleep(50);
        return 0;
    }
    if (mode == L"page" && argc > 2) {
        HWND page = PageWith(window, _wtoi(argv[2]));
        if (!page)
            return 2;
        SelectPage(window, page);
        PrintRect(window);
        return 0;
    }
    if (mode == L"albums") {
        HWND page = PageWith(window, 1048);
        if (!page)
            return 2;
        SelectPage(window, page);
        HWND albums = ::GetDlgItem(page, 1018);
        ::SendMessageW(albums, CB_SETCURSEL, 1, 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1018, CBN_SELCHANGE), LPARAM(albums));
        ::SendMessageW(albums, CB_SHOWDROPDOWN, TRUE, 0);
        ::Sleep(500);
        PrintRect(window);
        return 0;
    }
    if (mode == L"browser" && argc > 2) {
        HWND page = PageWith(window, 1057);
        if (!page)
            return 2;
        SelectPage(window, page);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(1058, BN_CLICKED), LPARAM(::GetDlgItem(page, 1058)));
        HWND browser = FindBrowser(processId);
        if (!browser)
            return 3;
        const std::wstring folder = argv[2];
        HANDLE target = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
        const SIZE_T bytes = (folder.size() + 1) * sizeof(wchar_t);
        void* remote = ::VirtualAllocEx(target, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
        ::WriteProcessMemory(target, remote, folder.c_str(), bytes, nullptr);
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
        ::VirtualFreeEx(target, remote, 0, MEM_RELEASE);
        ::CloseHandle(target);
        ::Sleep(700);
        PrintRect(browser);
        return 0;
    }
    return 2;
}

// The window helpers that tests/helpers/show_settings shares with the tests; free of GoogleTest, so that a helper
// program can link them.
#include "test_env.h"

#include <shlobj.h>

namespace testenv {

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[2048] = {};
    ::GetWindowTextW(window, text, 2048);
    return text;
}

namespace {
BOOL CALLBACK CountComboList(HWND window, LPARAM count) {
    if (ClassOf(window).find(L"ComboLBox") != std::wstring::npos)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}
} // namespace

int ComboListWindowCount() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountComboList, reinterpret_cast<LPARAM>(&count));
    return count;
}

HWND CurrentPage(HWND window) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"#32770" && ::IsWindowVisible(child))
            return child;
    return nullptr;
}

void SelectFolderInBrowser(DWORD processId, HWND browser, const std::wstring& path) {
    HANDLE target = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    const SIZE_T bytes = (path.size() + 1) * sizeof(wchar_t);
    void* remote = ::VirtualAllocEx(target, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    ::WriteProcessMemory(target, remote, path.c_str(), bytes, nullptr);
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
    ::VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    ::CloseHandle(target);
}

} // namespace testenv

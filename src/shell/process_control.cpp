#include "shell/process_control.h"

#include "shell/privileges.h"
#include "win32/handle.h"
#include "win32/strings.h"

#include <windows.h>
#include <tlhelp32.h>

namespace shell {
namespace {

constexpr DWORD kCloseWaitMs = 5000;

BOOL CALLBACK PostCloseToProcessWindows(HWND window, LPARAM processId) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(processId))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

int TerminateProcessesByName(const std::wstring& exeName, bool useDebugPrivilege) {
    win32::KernelHandle token;
    if (useDebugPrivilege &&
        ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        if (!EnablePrivilege(token.get(), L"SeDebugPrivilege", true))
            token.reset();
    }

    win32::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return 0;
    int ended = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    const DWORD self = ::GetCurrentProcessId();
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        // The calling process is skipped: it has no window to close, and waiting on itself and then ending itself
        // would leave every process listed after it running.
        if (entry.th32ProcessID == self)
            continue;
        win32::KernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        if (!process)
            continue;
        if (!win32::EqualsNoCase(entry.szExeFile, exeName))
            continue;
        ::EnumWindows(PostCloseToProcessWindows, LPARAM(entry.th32ProcessID));
        if (::WaitForSingleObject(process.get(), kCloseWaitMs) == WAIT_OBJECT_0)
            ++ended;
        else if (::TerminateProcess(process.get(), 0xFFFFFFFF))
            ++ended;
    }
    return ended;
}

} // namespace shell

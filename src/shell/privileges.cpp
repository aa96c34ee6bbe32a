#include "shell/privileges.h"

#include "win32/handle.h"

namespace shell {

bool EnablePrivilege(HANDLE token, const wchar_t* name, bool enable) {
    LUID luid;
    if (!::LookupPrivilegeValueW(nullptr, name, &luid))
        return false;

    // The first call only learns the privilege's current attributes.
    TOKEN_PRIVILEGES query = {1, {{luid, 0}}};
    TOKEN_PRIVILEGES previous = {};
    DWORD previousSize = sizeof(previous);
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token, FALSE, &query, sizeof(query), &previous, &previousSize);
    if (::GetLastError() != ERROR_SUCCESS)
        return false;

    previous.PrivilegeCount = 1;
    previous.Privileges[0].Luid = luid;
    if (enable)
        previous.Privileges[0].Attributes |= SE_PRIVILEGE_ENABLED;
    else
        previous.Privileges[0].Attributes &= ~DWORD(SE_PRIVILEGE_ENABLED);
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token, FALSE, &previous, previousSize, nullptr, nullptr);
    return ::GetLastError() == ERROR_SUCCESS;
}

bool EnableProcessPrivilege(const wchar_t* name, bool enable) {
    win32::KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return false;
    return EnablePrivilege(token.get(), name, enable);
}

} // namespace shell

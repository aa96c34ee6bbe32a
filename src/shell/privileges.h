// Token privileges for the HALT job (debugging other processes) and for loading other users' hives.
#pragma once
#include <windows.h>

namespace shell {

bool EnablePrivilege(HANDLE token, const wchar_t* name, bool enable);
bool EnableProcessPrivilege(const wchar_t* name, bool enable);

} // namespace shell

// Ending other running copies of the program.
#pragma once
#include <string>

namespace shell {

// Asks every process with this executable file name to close, and ends it after 5 seconds; returns how many ended.
int TerminateProcessesByName(const std::wstring& exeName, bool useDebugPrivilege);

} // namespace shell

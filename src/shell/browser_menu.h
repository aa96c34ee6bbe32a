// The web browser's context-menu entry that starts an add-site run, and the script it runs.
#pragma once
#include <string>

namespace shell {

inline constexpr wchar_t kBrowserMenuScriptName[] = L"aiesc.html";

// The script text with the executable path filled in (every "\" doubled for the JScript string literal).
std::string BuildBrowserMenuScript(const std::string& exePathAnsi);
// Writes aiesc.html in the program folder, in the system's ANSI code page.
void WriteBrowserMenuScript();
// mode 1 adds the entry for the current user, the default profile and every loadable local user; 0 removes it.
void RegisterBrowserMenuEntry(int mode);
// The menu entry's name: string 193 with the application name.
std::wstring BrowserMenuEntryName();

} // namespace shell

#include "shell/all_users_jobs.h"

#include "shell/browser_menu.h"
#include "shell/folders.h"

#include <windows.h>

namespace shell {

void RunInitDataJob() {
    // The photo data fix-up and the all-users background list come first in this sequence once they exist.
    RegisterBrowserMenuEntry(1);
    WriteBrowserMenuScript();
}

void RunRemoveSettingJob() {
    std::wstring common;
    GetCommonModulesFolder(common);
    std::wstring backgroundList = common + L"\\" + kBackgroundListFileName;
    ::SetFileAttributesW(backgroundList.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(backgroundList.c_str());
    RegisterBrowserMenuEntry(0);
    std::wstring script = GetProgramFilePath(kBrowserMenuScriptName);
    ::DeleteFileW(script.c_str());
}

} // namespace shell

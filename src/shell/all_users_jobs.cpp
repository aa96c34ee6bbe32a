#include "shell/all_users_jobs.h"

#include "modules/photo/photo_data.h"
#include "pages/display/background_files.h"
#include "shell/browser_menu.h"
#include "shell/folders.h"

#include <windows.h>

#include <exception>

namespace shell {

void RunInitDataJob() {
    // Each step runs whatever the one before it did.
    std::wstring modules, demo, background;
    GetCommonModulesFolder(modules);
    GetCommonDemoFolder(demo);
    GetCommonBackgroundFolder(background);
    try {
        MakeFolderPathsAbsolute(modules + L"\\Photo\\" + kDataFileName);
    } catch (const std::exception&) {
    }
    BuildDefaultBackgroundList(background);
    for (const std::wstring& folder : {modules, demo}) {
        try {
            RelocateBackgroundPath(folder + L"\\" + kDataFileName);
        } catch (const std::exception&) {
        }
    }
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

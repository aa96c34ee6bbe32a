#include "shell/all_users_jobs.h"

#include "modules/photo/photo_data.h"
#include "pages/display/background_files.h"
#include "shell/browser_menu.h"
#include "shell/folders.h"
#include "shell/language.h"

#include <windows.h>

#include <exception>

namespace shell {

namespace {

// The shipped all-users defaults are those of US English; the program folder's "Defaults\<code>" holds, laid out
// as the all-users Modules folder, the files that differ in the language (clock names and cities, 12- or 24-hour
// clocks, the calendar's first weekday). The language is the one a user who names none runs in.
void PutLanguageDefaultsInPlace(const std::wstring& modules) {
    const std::wstring source =
        GetProgramFilePath(std::wstring(kLanguageDefaultsFolder) + L"\\" + GetLanguageCode(GetAllUsersLanguageIndex()));
    if (::GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES)
        CopyFolderContents(modules, source, 2, 1);
}

} // namespace

void RunInitDataJob() {
    // Each step runs whatever the one before it did.
    std::wstring modules, demo, background;
    GetCommonModulesFolder(modules);
    GetCommonDemoFolder(demo);
    GetCommonBackgroundFolder(background);
    PutLanguageDefaultsInPlace(modules);
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

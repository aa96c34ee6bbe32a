#include "app/setting_app.h"

#include "app/all_users_jobs.h"
#include "app/config_dialog.h"
#include "pages/news/add_site.h"
#include "res/resource.h"
#include "shell/command_line.h"
#include "shell/flash_check.h"
#include "shell/folders.h"
#include "shell/gdiplus_on_demand.h"
#include "shell/process_control.h"
#include "velour/velour_api.h"
#include "velour/velour_message_box.h"
#include "win32/com.h"
#include "win32/handle.h"
#include "win32/strings.h"
#include "xmldata/xml_document.h"

#include <commctrl.h>
#include <cstdlib>

namespace {

// Keeps the skinned library off the system's visual style for the run, and restores it on the way out.
class VelourLunaGuard {
public:
    VelourLunaGuard() : previous_(VelourAPI::EnableLuna(false)) {}
    ~VelourLunaGuard() {
        if (previous_)
            VelourAPI::EnableLuna(true);
    }
    VelourLunaGuard(const VelourLunaGuard&) = delete;
    VelourLunaGuard& operator=(const VelourLunaGuard&) = delete;

private:
    bool previous_;
};

bool RegisterSettingsWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ::DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kSettingsWindowClass;
    return ::RegisterClassW(&windowClass) != 0;
}

// A second windowed start: raise the open settings window, whose title is rebuilt in the system language.
void BringExistingWindowForward(const std::wstring& appName) {
    std::wstring titleFormat;
    if (!shell::LoadStringFromSystemLanguage(titleFormat, IDS_SETTINGS_TITLE))
        return;
    std::wstring title = win32::FormatString(titleFormat.c_str(), appName.c_str());
    HWND existing = ::FindWindowW(nullptr, title.c_str());
    if (!existing)
        return;
    if (::IsIconic(existing))
        ::ShowWindow(existing, SW_RESTORE);
    ::SetForegroundWindow(existing);
}

} // namespace

UINT MessageBoxTypeWithDefaultIcon(UINT type) {
    const UINT buttons = type & MB_TYPEMASK;
    if ((type & MB_ICONMASK) == 0 &&
        (buttons == MB_OK || buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL || buttons == MB_YESNO))
        type |= MB_ICONEXCLAMATION;
    return type;
}

int CTesselSettingApp::DoMessageBox(const std::wstring& text, UINT type, UINT) {
    return VelourMessageBox(text.c_str(), appName().c_str(), MessageBoxTypeWithDefaultIcon(type), MessageBoxOwner());
}

bool CTesselSettingApp::InitInstance() {
    ::InitCommonControls();
    if (!RegisterSettingsWindowClass(instance()))
        return false;
    setAppName(kApplicationName);
    // ActiveX containment needs no set-up of its own here: pages host controls through ATL when they need to.

    const int argumentCount = __argc; // the program path included
    if (argumentCount > 3)
        return false;
    if (argumentCount == 3)
        RunAddSite();
    else if (argumentCount == 2)
        RunKeywordJob();
    else
        RunWindowed();
    return false;
}

int CTesselSettingApp::ExitInstance() {
    shell::ShutdownGdiplusIfStarted();
    return WinApp::ExitInstance();
}

void CTesselSettingApp::RunWindowed() {
    win32::KernelHandle instanceEvent(::CreateEventW(nullptr, TRUE, FALSE, kSingleInstanceEvent));
    if (!instanceEvent)
        return;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        BringExistingWindowForward(appName());
        return;
    }
    if (FAILED(::CoInitialize(nullptr)))
        return;
    {
        VelourLunaGuard guard;
        xmldata::ParseOnceScope parseOnce;
        if (!resources_.LoadLanguageResources()) {
            parseOnce.End();
            ::CoUninitialize();
            win32::AppMessageBox(shell::MissingResourcesText(shell::GetLanguageIndex()), MB_ICONHAND);
            return;
        }
        uint32_t flashVersion = 0;
        if (shell::CheckFlashPlayer(shell::kFlashRequiredVersion, flashVersion) == -1) {
            win32::AppMessageBox(IDS_FLASH_MISSING, MB_ICONHAND);
            parseOnce.End();
            ::CoUninitialize();
            return;
        }
        g_flash8Available = flashVersion >= shell::kFlashRequiredVersion ? 1 : 0;
        shell::StartGdiplusOnFirstUse();
        shell::CopyCommonRssCache();
        std::wstring commonModules;
        shell::GetCommonModulesFolder(commonModules);
        std::wstring userModules = shell::GetModulesFolder(true, L"");
        if (!userModules.empty())
            shell::CopyFileIfNeeded(userModules + L"\\" + shell::kBackgroundListFileName,
                                    commonModules + L"\\" + shell::kBackgroundListFileName, 0);
        // OLE's default message filter shows no busy or not-responding dialogs, so none needs switching off.
        if (SUCCEEDED(::OleInitialize(nullptr))) {
            {
                CTesselConfigDialog dialog;
                dialog.DoModal();
                setMainWindow(nullptr);
            }
            ::OleUninitialize();
        }
        parseOnce.End();
        ::CoUninitialize();
    }
    instanceEvent.reset();
    resources_.Release();
}

void CTesselSettingApp::RunAddSite() {
    VelourLunaGuard guard;
    shell::CTesselCommandLineInfo info;
    shell::ParseCommandLine(info, __argc, __wargv);
    win32::ComInit com;
    if (!com.ok() || info.addRss != 1)
        return;
    shell::CopyCommonRssCache();
    news::AddRssFromCommandLine(info.url, [this] { return resources_.LoadLanguageResources(); });
    resources_.Release();
}

void CTesselSettingApp::RunKeywordJob() {
    VelourLunaGuard guard;
    shell::CTesselCommandLineInfo info;
    shell::ParseCommandLine(info, __argc, __wargv);
    win32::ComInit com;
    if (!com.ok())
        return;
    if (info.initData)
        shell::RunInitDataJob();
    else if (info.halt)
        shell::TerminateProcessesByName(exeName() + L".exe", true);
    else if (info.removeSetting)
        shell::RunRemoveSettingJob();
}

// The settings program's application object: picks the run path from the command line and runs it.
#pragma once
#include "shell/language.h"
#include "win32/app.h"

#include <windows.h>

inline constexpr wchar_t kSettingsWindowClass[] = L"TesselSetting0505301612";
inline constexpr wchar_t kSingleInstanceEvent[] = L"Local\\TesselSettingInstance0505090";
inline constexpr wchar_t kApplicationName[] = L"Skylume";

class CTesselSettingApp : public win32::WinApp {
public:
    bool InitInstance() override;
    int ExitInstance() override;
    int DoMessageBox(const std::wstring& text, UINT type, UINT helpId) override;

private:
    void RunWindowed();
    void RunAddSite();
    void RunKeywordJob();
    shell::LanguageResources resources_;
};

// The message-box type that DoMessageBox shows: plain button sets without an icon get the exclamation icon.
UINT MessageBoxTypeWithDefaultIcon(UINT type);

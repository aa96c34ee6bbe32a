#include "ui/help_viewer.h"

#include "velour/velour_api.h"
#include "win32/app.h"
#include "win32/handle.h"
#include "win32/strings.h"

#include <windows.h>
#include <htmlhelp.h>

HelpViewer& HelpViewer::Instance() {
    static HelpViewer viewer;
    return viewer;
}

HelpViewer::HelpViewer() {
    ::HtmlHelpW(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie_));
}

HelpViewer::~HelpViewer() {
    ::HtmlHelpW(nullptr, nullptr, HH_UNINITIALIZE, cookie_);
}

void HelpViewer::RegisterPath(const std::wstring& path) {
    path_ = path;
    HH_WINTYPE* windowType = nullptr;
    ::HtmlHelpW(::GetDesktopWindow(), path_.c_str(), HH_GET_WIN_TYPE, reinterpret_cast<DWORD_PTR>(&windowType));
}

bool HelpViewer::OpenTopic(const std::wstring& topic) {
    if (path_.empty() || ::GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    VelourAPI::EnableLuna(true);
    win32::Module theme(::LoadLibraryW(L"UxTheme.dll"));
    if (theme) {
        using SetProperties = void(WINAPI*)(DWORD);
        if (auto set = reinterpret_cast<SetProperties>(
                reinterpret_cast<void*>(::GetProcAddress(theme.get(), "SetThemeAppProperties"))))
            set(7); // non-client area, controls and web content themed
    }
    std::wstring target = win32::FormatString(L"%s::%s", path_.c_str(), topic.c_str());
    HWND owner = win32::GetApp() ? win32::GetApp()->mainWindow() : nullptr;
    HWND viewer = ::HtmlHelpW(owner, target.c_str(), HH_DISPLAY_TOPIC, 0);
    theme.reset();
    VelourAPI::EnableLuna(false);
    return viewer != nullptr;
}

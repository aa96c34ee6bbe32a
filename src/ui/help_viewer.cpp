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

HelpViewer::HelpViewer() = default;

HelpViewer::~HelpViewer() {
    if (htmlHelp_)
        htmlHelp_(nullptr, nullptr, HH_UNINITIALIZE, cookie_);
    if (library_)
        ::FreeLibrary(library_);
}

void HelpViewer::RegisterPath(const std::wstring& path) {
    path_ = path;
    registered_ = false;
}

// HTML Help is loaded on the first help request rather than with the program: the window does not need it to
// appear. Initialising it and asking for the file's window type happen then too.
bool HelpViewer::EnsureLoaded() {
    if (!htmlHelp_) {
        library_ = ::LoadLibraryW(L"hhctrl.ocx");
        if (!library_)
            return false;
        htmlHelp_ =
            reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(::GetProcAddress(library_, "HtmlHelpW")));
        if (!htmlHelp_)
            return false;
        htmlHelp_(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie_));
    }
    if (!registered_) {
        registered_ = true;
        HH_WINTYPE* windowType = nullptr;
        htmlHelp_(::GetDesktopWindow(), path_.c_str(), HH_GET_WIN_TYPE, reinterpret_cast<DWORD_PTR>(&windowType));
    }
    return true;
}

bool HelpViewer::OpenTopic(const std::wstring& topic) {
    if (path_.empty() || ::GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES || !EnsureLoaded())
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
    HWND viewer = htmlHelp_(owner, target.c_str(), HH_DISPLAY_TOPIC, 0);
    theme.reset();
    VelourAPI::EnableLuna(false);
    return viewer != nullptr;
}

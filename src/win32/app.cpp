#include "win32/app.h"

#include <vector>

namespace win32 {
namespace {
WinApp* g_app = nullptr;

std::wstring ExecutableBaseName(HINSTANCE instance) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(instance, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            std::wstring full(path.data(), length);
            std::wstring name = full.substr(full.find_last_of(L"\\/") + 1);
            size_t dot = name.find_last_of(L'.');
            return dot == std::wstring::npos ? name : name.substr(0, dot);
        }
        path.resize(path.size() * 2);
    }
}
} // namespace

WinApp::WinApp() {
    g_app = this;
}
WinApp::~WinApp() {
    if (g_app == this)
        g_app = nullptr;
}

int WinApp::Run(HINSTANCE instance) {
    instance_ = instance;
    exeName_ = ExecutableBaseName(instance);
    appName_ = exeName_;
    InitInstance();
    return ExitInstance();
}

HWND WinApp::MessageBoxOwner() const {
    HWND owner = mainWindow_ && ::IsWindow(mainWindow_) ? mainWindow_ : nullptr;
    // A popup cannot be owned by a child window.
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    // The active popup: a modal sub-dialog has disabled the main window, and the box belongs over the sub-dialog.
    return owner ? ::GetLastActivePopup(owner) : nullptr;
}

int WinApp::DoMessageBox(const std::wstring& text, UINT type, UINT) {
    return ::MessageBoxW(MessageBoxOwner(), text.c_str(), appName_.c_str(), type);
}

WinApp* GetApp() {
    return g_app;
}

HINSTANCE GetResourceHandle() {
    return g_app ? g_app->resourceHandle() : ::GetModuleHandleW(nullptr);
}

int AppMessageBox(const std::wstring& text, UINT type, UINT helpId) {
    if (g_app)
        return g_app->DoMessageBox(text, type, helpId);
    return ::MessageBoxW(nullptr, text.c_str(), nullptr, type);
}

int AppMessageBox(UINT stringId, UINT type, UINT helpId) {
    return AppMessageBox(LoadResString(stringId), type, helpId ? helpId : 0x30000 + stringId);
}

std::wstring LoadResString(HINSTANCE module, UINT id) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, size_t(length)) : std::wstring();
}

std::wstring LoadResString(UINT id) {
    return LoadResString(GetResourceHandle(), id);
}

} // namespace win32

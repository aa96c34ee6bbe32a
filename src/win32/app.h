// The application object: one per process, in place of MFC's CWinApp. It owns the names the program shows,
// the module that resources come from, and the hook through which every message box passes.
#pragma once
#include <windows.h>
#include <string>

namespace win32 {

class WinApp {
public:
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    // Runs InitInstance and then ExitInstance; the result is the process exit code.
    int Run(HINSTANCE instance);

    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return exitCode_; }
    virtual int DoMessageBox(const std::wstring& text, UINT type, UINT helpId);
    // The owner of a box shown now: the main window's last active popup (a modal sub-dialog while one is open).
    HWND MessageBoxOwner() const;

    HINSTANCE instance() const { return instance_; }
    // The module every string, dialog template, bitmap and accelerator is loaded from.
    HINSTANCE resourceHandle() const { return resourceHandle_ ? resourceHandle_ : instance_; }
    void setResourceHandle(HINSTANCE module) { resourceHandle_ = module; }
    const std::wstring& appName() const { return appName_; }
    void setAppName(std::wstring name) { appName_ = std::move(name); }
    // Base name of the running executable, without folder and extension.
    const std::wstring& exeName() const { return exeName_; }
    HWND mainWindow() const { return mainWindow_; }
    void setMainWindow(HWND window) { mainWindow_ = window; }

protected:
    int exitCode_ = 0;

private:
    HINSTANCE instance_ = nullptr;
    HINSTANCE resourceHandle_ = nullptr;
    std::wstring appName_;
    std::wstring exeName_;
    HWND mainWindow_ = nullptr;
};

WinApp* GetApp();
HINSTANCE GetResourceHandle();
// Every message box of the program: routed through the application's DoMessageBox.
int AppMessageBox(const std::wstring& text, UINT type = MB_OK, UINT helpId = 0);
int AppMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);
// A string of the active resources; empty when the id is missing.
std::wstring LoadResString(UINT id);
std::wstring LoadResString(HINSTANCE module, UINT id);

} // namespace win32

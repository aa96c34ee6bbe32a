#include "ui/config_dialog.h"

#include "res/resource.h"
#include "win32/app.h"
#include "win32/strings.h"

CTesselConfigDialog::CTesselConfigDialog(HWND parent) : Dialog(IDD_SETTINGS, parent) {}

BOOL CTesselConfigDialog::OnInitDialog() {
    win32::WinApp* app = win32::GetApp();
    app->setMainWindow(hwnd());
    std::wstring title = win32::FormatString(win32::LoadResString(IDS_SETTINGS_TITLE).c_str(), app->appName().c_str());
    ::SetWindowTextW(hwnd(), title.c_str());

    HINSTANCE resources = win32::GetResourceHandle();
    bigIcon_.reset(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    return TRUE;
}

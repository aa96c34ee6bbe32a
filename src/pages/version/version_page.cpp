#include "pages/version/version_page.h"

#include "pages/version/version_text.h"
#include "res/resource.h"
#include "shell/folders.h"
#include "ui/categories.h"
#include "win32/app.h"
#include "win32/handle.h"
#include "win32/strings.h"

std::wstring ReadFirstLine(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    char buffer[kVersionFileReadLimit];
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr))
        return {};
    const VersionFileLine line = FirstLineOfVersionFile(std::string_view(buffer, read));
    if (line.utf8)
        return win32::Utf8ToWide(line.bytes);
    if (line.bytes.empty())
        return {};
    int length = ::MultiByteToWideChar(CP_ACP, 0, line.bytes.data(), int(line.bytes.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, line.bytes.data(), int(line.bytes.size()), wide.data(), length);
    return wide;
}

std::wstring VersionLine(const std::wstring& appName, const std::wstring& versionFile) {
    std::wstring version = ReadFirstLine(versionFile);
    if (version.empty())
        version = kDefaultVersion;
    return win32::FormatString(L"%s Version %s", appName.c_str(), version.c_str());
}

CCWVersion::CCWVersion(HWND categoryList, HWND okButton, HFONT font)
    : CInformationPage(IDD_PAGE_VERSION, categoryList, okButton, font) {
    SetIdentity(IDS_VERSION_TITLE, IDS_VERSION_DESCRIPTION, kCategoryVersion);
}

BOOL CCWVersion::OnInitDialog() {
    CInformationPage::OnInitDialog();
    versionLine_.Bind(hwnd(), IDC_VERSION_LINE);
    ownerLine_.Bind(hwnd(), IDC_OWNER_LINE);
    const win32::WinApp* app = win32::GetApp();
    const std::wstring line = VersionLine(app ? app->appName() : L"Skylume", shell::GetProgramFilePath(L"version.txt"));
    ::SetDlgItemTextW(hwnd(), IDC_VERSION_LINE, line.c_str());
    return TRUE;
}

// The Version page: the product version from version.txt in the program folder.
#pragma once
#include "ui/information_page.h"
#include "velour/velour_controls.h"

inline constexpr wchar_t kDefaultVersion[] = L"1.0.00.07110";

// The first line of the text file, or empty when it cannot be read.
std::wstring ReadFirstLine(const std::wstring& path);
// "Skylume Version 1.2.3" from version.txt in the program folder, with the built-in version as default.
std::wstring VersionLine(const std::wstring& appName, const std::wstring& versionFile);

class CCWVersion : public CInformationPage {
public:
    CCWVersion(HWND categoryList, HWND okButton, HFONT font);

protected:
    BOOL OnInitDialog() override;

private:
    VelourStatic versionLine_;
    VelourStatic ownerLine_;
};

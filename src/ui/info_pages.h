// Pages that only show information and keep no data: the product version and the installed visualizer.
#pragma once
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"
#include "win32/handle.h"

inline constexpr wchar_t kDefaultVersion[] = L"1.0.00.07110";

// The first line of the text file, or empty when it cannot be read.
std::wstring ReadFirstLine(const std::wstring& path);
// "Skylume Version 1.2.3" from version.txt in the program folder, with the built-in version as default.
std::wstring VersionLine(const std::wstring& appName, const std::wstring& versionFile);

class CInformationPage : public CConfWindowInf {
public:
    using CConfWindowInf::CConfWindowInf;
    int LoadData() override { return 1; }
    void SaveData() override {}
    int IsModified() override { return 0; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    win32::Brush background_;
};

class CCWVersion : public CInformationPage {
public:
    CCWVersion(HWND categoryList, HWND okButton, HFONT font);

protected:
    BOOL OnInitDialog() override;

private:
    VelourStatic versionLine_;
    VelourStatic ownerLine_;
};

class CCWVisualizer : public CInformationPage {
public:
    CCWVisualizer(HWND categoryList, HWND okButton, HFONT font);

protected:
    BOOL OnInitDialog() override;

private:
    VelourStatic line_;
};

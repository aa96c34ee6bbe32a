// What Windows shows in a file's properties: the version resource of the program and of every language library,
// and the program's manifest.
#include "test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testenv;

namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\000004b0\\" + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return L"";
    return value;
}

// The first line of the shipped version.txt, as the Version page shows it.
std::wstring ShippedVersion() {
    std::string text = ReadFile(SourceFile(L"data/program/version.txt")).value_or("");
    text = text.substr(0, text.find_first_of("\r\n"));
    return std::wstring(text.begin(), text.end());
}

} // namespace

TEST(VersionResourceTest, ProgramAndLanguageLibrariesCarryTheShippedVersion) {
    const std::wstring version = ShippedVersion();
    ASSERT_FALSE(version.empty());
    for (const wchar_t* name : {L"SkylumeSetting.exe", L"DaystreamSetting_jpn.dll", L"SkylumeSetting_fra.dll",
                                L"SkylumeSetting_gbr.dll", L"SkylumeSetting_ita.dll", L"SkylumeSetting_deu.dll",
                                L"DaystreamSetting_usa.dll", L"SkylumeSetting_esp.dll", L"SkylumeSetting_rus.dll"}) {
        const std::wstring file = FolderOfThisExecutable() + L"\\" + name;
        const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), nullptr);
        ASSERT_GT(size, 0u) << name;
        std::vector<BYTE> block(size);
        ASSERT_TRUE(::GetFileVersionInfoW(file.c_str(), 0, size, block.data()));
        EXPECT_EQ(VersionString(block, L"FileVersion"), version) << name;
        EXPECT_EQ(VersionString(block, L"ProductName"), L"Skylume") << name;
        EXPECT_EQ(VersionString(block, L"OriginalFilename"), name);

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        const std::wstring numbers = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                     std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                     std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                                     std::to_wstring(LOWORD(fixed->dwFileVersionLS));
        // "1.1.00.12050" is 1.1.0.12050 in numbers.
        std::wstring expected;
        size_t start = 0;
        for (int part = 0; part < 4; ++part) {
            const size_t dot = version.find(L'.', start);
            expected += (part ? L"." : L"") + std::to_wstring(std::stoul(version.substr(start, dot - start)));
            start = dot + 1;
        }
        EXPECT_EQ(numbers, expected) << name;
        EXPECT_EQ(fixed->dwFileType, std::wstring(name).ends_with(L".exe") ? DWORD(VFT_APP) : DWORD(VFT_DLL)) << name;
    }
}

TEST(VersionResourceTest, ManifestAsksForCommonControlsSixNoElevationAndDpiAwareness) {
    const std::wstring program = FolderOfThisExecutable() + L"\\SkylumeSetting.exe";
    HMODULE module =
        ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, resource)));
    const std::string manifest(bytes, ::SizeofResource(module, resource));
    ::FreeLibrary(module);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

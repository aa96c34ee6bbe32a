// The per-user and all-users folder trees, the program folder, and the copy helpers that seed per-user data
// from the all-users defaults.
#pragma once
#include <string>

namespace shell {

inline constexpr wchar_t kMakerFolder[] = L"\\Quillon";
inline constexpr wchar_t kProductFolder[] = L"\\Quillon\\Skylume";
inline constexpr wchar_t kModulesFolder[] = L"\\Quillon\\Skylume\\Modules";
inline constexpr wchar_t kDemoFolder[] = L"\\Quillon\\Skylume\\Demo";
inline constexpr wchar_t kBackgroundFolder[] = L"\\Quillon\\Skylume\\Background";
inline constexpr wchar_t kDataFileName[] = L"data.xml";
inline constexpr wchar_t kBackgroundListFileName[] = L"bkimglist.dat";
inline constexpr wchar_t kProductRegistryKey[] = L"SOFTWARE\\Quillon\\Tessel";

// The per-user Modules folder, or a folder below it; empty on failure or when `relative` leads outside it.
std::wstring GetModulesFolder(bool create, const std::wstring& relative);
// Forgets the cached Modules path (the shell folders may be redirected between runs of in-process tests).
void ResetModulesFolderCache();

// All-users folders. The path is filled even when the shell failed; the result tells whether it succeeded.
bool GetCommonModulesFolder(std::wstring& path);
bool GetCommonDemoFolder(std::wstring& path);
bool GetCommonBackgroundFolder(std::wstring& path);

// Folder of the running executable, without a trailing separator.
std::wstring GetProgramFolder();
std::wstring GetProgramFilePath(const std::wstring& name);

// 1 on success or when skipped because the target exists and overwrite is not 1; 0 when the copy failed.
int CopyFileIfNeeded(const std::wstring& target, const std::wstring& source, int overwrite);
// Copies files, and folders down to depth - 1 levels; 1 on success, 0 on the first failure.
int CopyFolderContents(const std::wstring& target, const std::wstring& source, int depth, int overwrite);
// Seeds the per-user news cache with the files (not folders) of the all-users cache that the user lacks.
void CopyCommonRssCache();

} // namespace shell

#include "shell/folders.h"
#include "win32/atomic_file.h"

#include "win32/handle.h"
#include "win32/strings.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <vector>

namespace shell {
namespace {

std::wstring g_modulesFolder; // filled once the per-user Modules folder is known to exist

bool CreateFolderAccepted(const std::wstring& path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ModulesBase(bool create) {
    if (!g_modulesFolder.empty())
        return g_modulesFolder;
    wchar_t appData[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, create))
        return {};
    std::wstring base = appData;
    std::wstring modules = base + kModulesFolder;
    if (PathExists(modules)) {
        g_modulesFolder = modules;
        return modules;
    }
    if (!create)
        return modules;
    if (!CreateFolderAccepted(base + kMakerFolder) || !CreateFolderAccepted(base + kProductFolder) ||
        !CreateFolderAccepted(modules))
        return {};
    g_modulesFolder = modules;
    return modules;
}

// PathCanonicalizeW works on MAX_PATH buffers; a longer path cannot be a folder we create.
std::wstring Canonicalize(const std::wstring& path) {
    if (path.size() >= MAX_PATH)
        return {};
    wchar_t buffer[MAX_PATH] = {};
    if (!::PathCanonicalizeW(buffer, path.c_str()))
        return {};
    std::wstring canonical = buffer;
    // Wine keeps a trailing "\." (and a trailing separator) that Windows removes; "." must name the folder itself.
    for (;;) {
        if (canonical.size() >= 2 && canonical.compare(canonical.size() - 2, 2, L"\\.") == 0)
            canonical.resize(canonical.size() - 2);
        else if (canonical.size() > 3 && canonical.back() == L'\\')
            canonical.pop_back();
        else
            return canonical;
    }
}

// Inside means the folder itself or below it: "Modules2" next to "Modules" is outside.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
    return win32::StartsWithNoCase(path, folder) && (path.size() == folder.size() || path[folder.size()] == L'\\');
}

bool CommonFolder(std::wstring& path, const wchar_t* literal) {
    wchar_t base[MAX_PATH] = {};
    HRESULT hr = ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    path = std::wstring(base) + literal;
    return SUCCEEDED(hr);
}

} // namespace

void ResetModulesFolderCache() {
    g_modulesFolder.clear();
}

std::wstring GetModulesFolder(bool create, const std::wstring& relative) {
    std::wstring modules = ModulesBase(create);
    if (modules.empty())
        return {};
    if (relative.empty())
        return modules;

    std::wstring joined = relative;
    for (wchar_t& c : joined)
        if (c == L'/')
            c = L'\\';
    std::wstring canonical = Canonicalize(modules + L"\\" + joined);
    if (canonical.empty() || !IsInsideFolder(canonical, modules))
        return {};

    if (!create)
        return ::PathFileExistsW(canonical.c_str()) ? canonical : std::wstring();

    if (!::CreateDirectoryW(canonical.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        std::wstring inner = canonical.size() > modules.size() + 1 ? canonical.substr(modules.size() + 1) : L"";
        size_t cut = inner.find_last_of(L'\\');
        std::wstring parent = cut == std::wstring::npos ? std::wstring() : inner.substr(0, cut);
        if (parent.empty() || GetModulesFolder(true, parent).empty() || !::CreateDirectoryW(canonical.c_str(), nullptr))
            return {};
    }
    return canonical;
}

bool GetCommonModulesFolder(std::wstring& path) {
    return CommonFolder(path, kModulesFolder);
}
bool GetCommonDemoFolder(std::wstring& path) {
    return CommonFolder(path, kDemoFolder);
}
bool GetCommonBackgroundFolder(std::wstring& path) {
    return CommonFolder(path, kBackgroundFolder);
}

std::wstring GetProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            size_t cut = path.find_last_of(L'\\');
            return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring GetProgramFilePath(const std::wstring& name) {
    return GetProgramFolder() + L"\\" + name;
}

int CopyFileIfNeeded(const std::wstring& target, const std::wstring& source, int overwrite) {
    if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES && overwrite != 1)
        return 1;
    // The copy replaces the target in one step: a restore cut short leaves the old file, not half of the new one.
    const std::optional<std::string> bytes = win32::ReadWholeFile(source);
    return bytes && win32::WriteFileAtomically(target, *bytes) ? 1 : 0;
}

int CopyFolderContents(const std::wstring& target, const std::wstring& source, int depth, int overwrite) {
    WIN32_FIND_DATAW entry;
    win32::FindHandle find(::FindFirstFileW((source + L"/*").c_str(), &entry));
    if (!find)
        return 0;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring targetPath = target + L"\\" + name;
        std::wstring sourcePath = source + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth - 1 < 1)
                continue;
            ::CreateDirectoryW(targetPath.c_str(), nullptr);
            if (!CopyFolderContents(targetPath, sourcePath, depth - 1, overwrite))
                return 0;
        } else if (!CopyFileIfNeeded(targetPath, sourcePath, overwrite)) {
            return 0;
        }
    } while (::FindNextFileW(find.get(), &entry));
    return 1;
}

void CopyCommonRssCache() {
    std::wstring common;
    GetCommonModulesFolder(common);
    std::wstring source = common + L"\\RSS" + L"\\Cache";
    if (source.empty())
        return;
    std::wstring rss = GetModulesFolder(true, L"RSS");
    if (rss.empty())
        return;
    std::wstring target = rss + L"\\Cache";
    ::CreateDirectoryW(target.c_str(), nullptr);
    CopyFolderContents(target, source, 1, 0);
}

} // namespace shell

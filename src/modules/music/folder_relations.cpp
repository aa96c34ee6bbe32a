#include "modules/music/folder_relations.h"

#include "win32/strings.h"

#include <windows.h>
#include <shlwapi.h>

namespace music {

std::optional<std::wstring> RelativeFolderPath(const std::wstring& from, const std::wstring& to) {
    wchar_t relative[MAX_PATH] = {};
    if (!::PathRelativePathToW(relative, from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(), FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return std::wstring(relative);
}

bool IsSameFolder(const std::wstring& path, const std::wstring& listed) {
    auto relative = RelativeFolderPath(path, listed);
    return relative && win32::EqualsNoCase(*relative, L".");
}

bool IsFolderWithin(const std::wstring& path, const std::wstring& listed) {
    auto relative = RelativeFolderPath(listed, path);
    return relative && relative->compare(0, 2, L"..") != 0;
}

bool ContainsFolder(const std::wstring& path, const std::wstring& listed) {
    auto relative = RelativeFolderPath(path, listed);
    return relative && relative->compare(0, 2, L"..") != 0;
}

bool IsInsideOrEqual(const std::wstring& path, const std::wstring& folder) {
    std::wstring prefix = folder;
    while (!prefix.empty() && prefix.back() == L'\\')
        prefix.pop_back();
    if (prefix.empty() || path.size() < prefix.size() || !win32::StartsWithNoCase(path, prefix))
        return false;
    return path.size() == prefix.size() || path[prefix.size()] == L'\\';
}

std::wstring FirstLevelFolder(const std::wstring& path) {
    std::wstring withSeparator = path;
    if (withSeparator.empty() || withSeparator.back() != L'\\')
        withSeparator += L'\\';
    const size_t cut = withSeparator.find(L'\\', 3);
    return cut == std::wstring::npos ? withSeparator : withSeparator.substr(0, cut + 1);
}

} // namespace music

#include "modules/music/folder_relations.h"

#include "win32/strings.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace music {

namespace {

// The names of a path's folders, empty ones (doubled or trailing separators) left out. The root is the first
// name ("C:"), or the server and share of a network path, which `unc` tells.
std::vector<std::wstring_view> Components(std::wstring_view path, bool& unc) {
    unc = path.starts_with(L"\\\\");
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

// The platform's PathRelativePathTo works on MAX_PATH buffers and cuts longer paths, so the relation is computed
// here, in its form: "." for the same folder, ".\sub" into it, "..", "..\other" out of it.
std::optional<std::wstring> RelativeFolderPath(const std::wstring& from, const std::wstring& to) {
    bool fromUnc = false, toUnc = false;
    const std::vector<std::wstring_view> a = Components(from, fromUnc), b = Components(to, toUnc);
    size_t common = 0;
    while (common < a.size() && common < b.size() && win32::EqualsNoCase(a[common], b[common]))
        ++common;
    const size_t root = fromUnc ? 2 : 1;
    if (fromUnc != toUnc || common < root)
        return std::nullopt;
    std::wstring relative;
    for (size_t i = common; i < a.size(); ++i)
        relative += relative.empty() ? L".." : L"\\..";
    if (relative.empty())
        relative = L".";
    for (size_t i = common; i < b.size(); ++i)
        relative += L"\\" + std::wstring(b[i]);
    return relative;
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

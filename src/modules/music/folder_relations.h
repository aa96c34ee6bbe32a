// How two folders relate, by the relative path between two directories (as the platform's PathRelativePathTo
// gives it, for paths of any length). Folders on different drives have no relative path and are unrelated.
#pragma once
#include <optional>
#include <string>

namespace music {

// The relative path from folder `from` to folder `to`; nullopt when there is none.
std::optional<std::wstring> RelativeFolderPath(const std::wstring& from, const std::wstring& to);
// `path` names the folder `listed` (the relative path is ".", ignoring case).
bool IsSameFolder(const std::wstring& path, const std::wstring& listed);
// `path` lies in `listed` or is it (the relative path from `listed` does not begin with "..").
bool IsFolderWithin(const std::wstring& path, const std::wstring& listed);
// `path` contains `listed` or is it (the relative path to `listed` does not begin with "..").
bool ContainsFolder(const std::wstring& path, const std::wstring& listed);

// `folder` (without a trailing separator) is a case-insensitive prefix of `path`, and `path` ends there or
// continues with a separator.
bool IsInsideOrEqual(const std::wstring& path, const std::wstring& folder);
// The part of `path` up to and including the first separator at or after its fourth character, after a
// trailing separator is added ("C:\Music\Rec" gives "C:\Music\").
std::wstring FirstLevelFolder(const std::wstring& path);

} // namespace music

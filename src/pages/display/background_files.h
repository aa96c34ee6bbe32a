// The background list on disk, and the two installer steps that prepare the all-users background data.
#pragma once
#include <string>
#include <vector>

namespace display {

// The paths of the list file at `path`; nothing when it cannot be read. `whole`, when given, tells whether the
// file held nothing more than what was returned (it is missing, or was read in full), so writing the paths back
// loses nothing.
std::vector<std::wstring> ReadBackgroundListFile(const std::wstring& path, bool* whole = nullptr);
bool WriteBackgroundListFile(const std::wstring& path, const std::vector<std::wstring>& paths);

} // namespace display

// Lists the pictures and movies of `folder` (JPEG, then SWF) in the all-users background list; false, with the
// list file left alone, when there are none.
bool BuildDefaultBackgroundList(const std::wstring& folder);
// A background stored by file name alone becomes the full path of that file in the all-users Background folder.
bool RelocateBackgroundPath(const std::wstring& dataFile);

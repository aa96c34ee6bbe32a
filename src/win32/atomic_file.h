// Every file the program writes goes through here: the bytes go to a temporary file in the target's folder,
// are flushed to disk, and the temporary file then takes the target's place in one step. A reader (or the next
// start after a kill or power cut) sees the whole old file or the whole new one, never a part.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// Writes `bytes` as the file at `path`, replacing it in one step. A read-only or hidden target is replaced too
// (its attributes are cleared first). False, with the target untouched, when any step fails.
bool WriteFileAtomically(const std::wstring& path, std::string_view bytes);

// The whole file, read while others may write it; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

} // namespace win32

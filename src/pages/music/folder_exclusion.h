// Which folders may be offered to the folder watcher service: not removable drives, drive roots, non-fixed
// drives, system and program folders, other users' folders, nor folders the media-centre and media-server
// software of the machine keep for themselves.
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace music {

inline constexpr unsigned long kBusType1394 = 4;
inline constexpr unsigned long kBusTypeUsb = 7;

// The storage bus type of a drive's volume; nullopt when the volume cannot be opened or queried.
using BusTypeQuery = std::function<std::optional<unsigned long>(wchar_t driveLetter)>;
// Asks the volume "\\.\X:" for its storage device descriptor.
std::optional<unsigned long> QueryVolumeBusType(wchar_t driveLetter);

// True only when every exclusion test passes.
bool IsFolderAllowed(const std::wstring& path, const BusTypeQuery& busType);

} // namespace music

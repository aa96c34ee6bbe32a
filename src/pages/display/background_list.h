// The background picture list file "bkimglist.dat": a magic number, a count and length-prefixed UTF-16 paths.
// Pure byte handling, so it can be checked without the platform.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace display {

inline constexpr uint32_t kBackgroundListMagic = 0xEC12EE01;
inline constexpr int32_t kMaxBackgroundCount = 10000;
inline constexpr uint32_t kMaxBackgroundPathLength = 260;

// The paths the bytes hold: nothing for another magic or a count outside 0 .. 10000; reading stops at the first
// record longer than 260 characters or longer than the bytes that remain. `whole`, when given, tells whether
// every record the bytes claim was read.
std::vector<std::wstring> ParseBackgroundList(std::string_view bytes, bool* whole = nullptr);
std::string SerializeBackgroundList(const std::vector<std::wstring>& paths);

} // namespace display

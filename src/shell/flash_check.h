// Whether the Flash Player control is installed, and which version.
#pragma once
#include <cstdint>

namespace shell {

inline constexpr wchar_t kFlashClassId[] = L"{D27CDB6E-AE6D-11cf-96B8-444553540000}";
inline constexpr uint32_t kFlashRequiredVersion = 0x00080000;

// 1 when the installed version is at least `required`, 0 when older, -1 when the control is missing or broken.
int CheckFlashPlayer(uint32_t required, uint32_t& installed);

} // namespace shell

// 1 when Flash Player 8.0 or later is installed; set once at start-up.
extern int g_flash8Available;

// Colours the custom controls share with the pages they sit on.
#pragma once
#include <windows.h>

namespace controls {

inline constexpr COLORREF kPageBackground = RGB(215, 221, 224);

} // namespace controls

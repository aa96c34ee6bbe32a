// The value rules of a module's settings description that need no window: labels, decimal numbers, the slider
// step, and the file dialog's type list. Plain logic without <windows.h>.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace additional {

// A label as a row shows it: its first 12 characters, then ":" unless it already ends in ":" or U+FF1A.
std::wstring RowLabel(std::wstring_view label);

// A decimal integer: an optional minus sign and digits only, within 32 bits; nothing else is accepted.
std::optional<int32_t> ParseDecimal(std::wstring_view text);

// The slider step: `delta` when it is positive, not larger than max - min and divides it exactly; else 1.
int32_t SliderStep(int32_t min, int32_t max, std::optional<int32_t> delta);

// Whether `text` is a slider value: a decimal integer from min to max reachable from min in steps.
bool IsSliderValue(std::wstring_view text, int32_t min, int32_t max, int32_t step);

// The slider's last position, (max - min) / step.
int32_t SliderPositions(int32_t min, int32_t max, int32_t step);

struct FileFilter {
    std::wstring extension; // without dot or star: "jpg"
    std::wstring description;
};
// "Text|*.ext|" for each filter in order and a final "|"; the all-files list when there is no filter.
std::wstring FileTypeList(const std::vector<FileFilter>& filters, const std::wstring& allFiles);

} // namespace additional

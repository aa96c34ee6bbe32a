#include "pages/additional_modules/description_rules.h"

namespace additional {

std::wstring RowLabel(std::wstring_view label) {
    std::wstring shown(label.substr(0, 12));
    if (shown.empty() || (shown.back() != L':' && shown.back() != L'\xFF1A'))
        shown += L':';
    return shown;
}

std::optional<int32_t> ParseDecimal(std::wstring_view text) {
    bool negative = !text.empty() && text.front() == L'-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t SliderStep(int32_t min, int32_t max, std::optional<int32_t> delta) {
    const int64_t span = int64_t(max) - min;
    if (!delta || *delta <= 0 || *delta > span || span % *delta != 0)
        return 1;
    return *delta;
}

bool IsSliderValue(std::wstring_view text, int32_t min, int32_t max, int32_t step) {
    auto value = ParseDecimal(text);
    return value && *value >= min && *value <= max && (int64_t(*value) - min) % step == 0;
}

int32_t SliderPositions(int32_t min, int32_t max, int32_t step) {
    // A range wider than the slider can hold is cut at its largest position.
    const int64_t positions = (int64_t(max) - min) / step;
    return static_cast<int32_t>(positions > INT32_MAX ? INT32_MAX : positions);
}

std::wstring FileTypeList(const std::vector<FileFilter>& filters, const std::wstring& allFiles) {
    if (filters.empty())
        return allFiles;
    std::wstring list;
    for (const FileFilter& filter : filters)
        list += filter.description + L"|*." + filter.extension + L"|";
    return list + L"|";
}

} // namespace additional

#include "pages/wakeup_timer/wakeup_schedule.h"

namespace wakeup {
namespace {

uint32_t ReadLittleEndian(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && offset + i < bytes.size(); ++i)
        value |= uint32_t(bytes[offset + i]) << (8 * i);
    return value;
}

void AppendLittleEndian(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

std::wstring DayValueName(int number) {
    return L"WeekDayTimerEnable" + std::to_wstring(number);
}

WakeTime WakeTimeFromBytes(const std::optional<std::vector<uint8_t>>& bytes) {
    if (!bytes)
        return {};
    const uint32_t hour = ReadLittleEndian(*bytes, 0), minute = ReadLittleEndian(*bytes, 4);
    if (hour > 23 || minute > 59)
        return {};
    return {int(hour), int(minute)};
}

std::vector<uint8_t> WakeTimeToBytes(int hour, int minute) {
    std::vector<uint8_t> bytes;
    AppendLittleEndian(bytes, uint32_t(hour));
    AppendLittleEndian(bytes, uint32_t(minute));
    return bytes;
}

uint32_t DayFlagFromBytes(const std::optional<std::vector<uint8_t>>& bytes) {
    return bytes ? ReadLittleEndian(*bytes, 0) : 0;
}

std::vector<uint8_t> DayFlagToBytes(bool on) {
    std::vector<uint8_t> bytes;
    AppendLittleEndian(bytes, on ? 1 : 0);
    return bytes;
}

HourChoice HourToChoice(int hour, bool twelveHour) {
    if (!twelveHour)
        return {hour, false};
    if (hour < 12)
        return {hour == 0 ? 11 : hour - 1, false};
    return {hour == 12 ? 11 : hour - 13, true};
}

int ChoiceToHour(const HourChoice& choice, bool twelveHour) {
    if (!twelveHour)
        return choice.index;
    const int h = choice.index + 1;
    if (!choice.pm)
        return h == 12 ? 0 : h;
    return h == 12 ? 12 : h + 12;
}

} // namespace wakeup

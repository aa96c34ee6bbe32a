// The wake-up schedule's value rules, apart from any window: how the stored bytes read, and how an hour maps
// to the hour and AM/PM lists in 12- and 24-hour mode.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wakeup {

// The day values' numbers in the order the page's boxes run and the values are written: Monday (2) to
// Saturday (7), then Sunday (1).
inline constexpr int kDayValueNumbers[7] = {2, 3, 4, 5, 6, 7, 1};
// "WeekDayTimerEnable<number>".
std::wstring DayValueName(int number);

struct WakeTime {
    int hour = 0;
    int minute = 0;
};

// Two little-endian 32-bit values, hour then minute; 0:00 when missing or out of range.
WakeTime WakeTimeFromBytes(const std::optional<std::vector<uint8_t>>& bytes);
std::vector<uint8_t> WakeTimeToBytes(int hour, int minute);
// A 32-bit little-endian value; 0 when missing.
uint32_t DayFlagFromBytes(const std::optional<std::vector<uint8_t>>& bytes);
std::vector<uint8_t> DayFlagToBytes(bool on);

struct HourChoice {
    int index = 0;   // position in the hour list
    bool pm = false; // 12-hour mode only
};

HourChoice HourToChoice(int hour, bool twelveHour);
int ChoiceToHour(const HourChoice& choice, bool twelveHour);

} // namespace wakeup

// The time zones of the registry's "Time Zones" table, as the world clock names them.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

inline constexpr wchar_t kTimeZonesKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

struct CTimeZone {
    TIME_ZONE_INFORMATION info{};
    std::wstring displayName;
    std::wstring keyName;

    bool ObservesDaylightSaving() const { return info.StandardDate.wMonth != 0 && info.DaylightDate.wMonth != 0; }
};

// Owned zones: their addresses stay put while the list grows, since cities and clocks refer to them.
using TimeZoneList = std::vector<std::unique_ptr<CTimeZone>>;

// Empties `zones` and fills it from the registry; a zone lacking one of its four values is left out and the others
// are read. False when the table cannot be opened or some zone was left out.
bool LoadTimeZones(TimeZoneList& zones, HKEY root = HKEY_LOCAL_MACHINE, const wchar_t* path = kTimeZonesKey);
// The zone whose key name equals `keyName` (case-sensitive), or nullptr.
const CTimeZone* FindTimeZone(const TimeZoneList& zones, const std::wstring& keyName);

#include "pages/world_clock/time_zone.h"

#include "win32/handle.h"

#include <cstring>
#include <iterator>
#include <optional>

namespace {

// The registry's binary zone data: three biases, then the standard and daylight dates.
struct RegistryTzi {
    LONG bias;
    LONG standardBias;
    LONG daylightBias;
    SYSTEMTIME standardDate;
    SYSTEMTIME daylightDate;
};
static_assert(sizeof(RegistryTzi) == 44);

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
    // Zone names are short: one registry call with a buffer on the stack reads them; only a longer text is sized
    // first. Each call is a round trip to the registry server, and the table has well over a hundred zones.
    wchar_t buffer[128];
    DWORD size = sizeof(buffer);
    LSTATUS status = ::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    if (status == ERROR_SUCCESS)
        return std::wstring(buffer, wcsnlen(buffer, std::size(buffer)));
    if (status != ERROR_MORE_DATA)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// A value larger than the structure counts as missing; a shorter one fills what it holds.
std::optional<RegistryTzi> ReadTzi(HKEY key) {
    RegistryTzi tzi{};
    DWORD size = sizeof(tzi);
    if (::RegGetValueW(key, nullptr, L"TZI", RRF_RT_REG_BINARY, nullptr, &tzi, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return tzi;
}

void CopyName(WCHAR (&target)[32], const std::wstring& name) {
    const size_t length = std::min<size_t>(name.size(), 31);
    std::memcpy(target, name.data(), length * sizeof(wchar_t));
    target[length] = L'\0';
}

} // namespace

bool LoadTimeZones(TimeZoneList& zones, HKEY root, const wchar_t* path) {
    zones.clear();
    win32::RegKey table;
    if (::RegOpenKeyExW(root, path, 0, KEY_READ, table.put()) != ERROR_SUCCESS)
        return false;
    // A zone lacking one of its values is left out and the rest are still read: one damaged or half-updated key
    // must not take every later zone (and so every city in them) away.
    bool complete = true;
    for (DWORD index = 0;; ++index) {
        wchar_t name[260];
        DWORD nameLength = 260;
        const LSTATUS status =
            ::RegEnumKeyExW(table.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return complete;
        if (status != ERROR_SUCCESS)
            return false;
        win32::RegKey zoneKey;
        if (::RegOpenKeyExW(table.get(), name, 0, KEY_READ, zoneKey.put()) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        auto tzi = ReadTzi(zoneKey.get());
        auto standard = ReadString(zoneKey.get(), L"Std");
        auto daylight = ReadString(zoneKey.get(), L"Dlt");
        auto display = ReadString(zoneKey.get(), L"Display");
        if (!tzi || !standard || !daylight || !display) {
            complete = false;
            continue;
        }
        auto zone = std::make_unique<CTimeZone>();
        zone->info.Bias = tzi->bias;
        zone->info.StandardBias = tzi->standardBias;
        zone->info.DaylightBias = tzi->daylightBias;
        zone->info.StandardDate = tzi->standardDate;
        zone->info.DaylightDate = tzi->daylightDate;
        CopyName(zone->info.StandardName, *standard);
        CopyName(zone->info.DaylightName, *daylight);
        zone->displayName = *display;
        zone->keyName.assign(name, nameLength);
        zones.push_back(std::move(zone));
    }
}

const CTimeZone* FindTimeZone(const TimeZoneList& zones, const std::wstring& keyName) {
    for (const auto& zone : zones)
        if (zone->keyName == keyName)
            return zone.get();
    return nullptr;
}

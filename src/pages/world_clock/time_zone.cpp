#include "pages/world_clock/time_zone.h"

#include "win32/handle.h"

#include <cstring>
#include <iterator>
#include <memory>
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

// The four values of one zone's key; nothing when one of them is missing.
std::optional<CTimeZone::Values> ReadValues(HKEY zoneKey) {
    auto tzi = ReadTzi(zoneKey);
    auto standard = ReadString(zoneKey, L"Std");
    auto daylight = ReadString(zoneKey, L"Dlt");
    auto display = ReadString(zoneKey, L"Display");
    if (!tzi || !standard || !daylight || !display)
        return std::nullopt;
    CTimeZone::Values values;
    values.info.Bias = tzi->bias;
    values.info.StandardBias = tzi->standardBias;
    values.info.DaylightBias = tzi->daylightBias;
    values.info.StandardDate = tzi->standardDate;
    values.info.DaylightDate = tzi->daylightDate;
    CopyName(values.info.StandardName, *standard);
    CopyName(values.info.DaylightName, *daylight);
    values.displayName = *display;
    return values;
}

// Walks the table's sub-keys in order: `visit` gets each key name and returns false to stop the walk (the result is
// then false). False too when the table cannot be opened or enumerated.
template <typename Visit> bool ForEachZoneKey(HKEY root, const wchar_t* path, Visit visit) {
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
            return true;
        if (status != ERROR_SUCCESS || !visit(table.get(), std::wstring(name, nameLength)))
            return false;
    }
}

} // namespace

CTimeZone::CTimeZone(std::wstring keyName, std::shared_ptr<const Source> source, std::optional<Values> values)
    : keyName(std::move(keyName)), source_(std::move(source)), values_(std::move(values)) {}

const CTimeZone::Values& CTimeZone::Read() const {
    if (!values_) {
        win32::RegKey zoneKey;
        if (source_ && ::RegOpenKeyExW(source_->root, (source_->path + L"\\" + keyName).c_str(), 0, KEY_READ,
                                       zoneKey.put()) == ERROR_SUCCESS)
            values_ = ReadValues(zoneKey.get());
        if (!values_)
            values_.emplace();
    }
    return *values_;
}

bool LoadTimeZones(TimeZoneList& zones, HKEY root, const wchar_t* path) {
    zones.clear();
    auto source = std::make_shared<const CTimeZone::Source>(CTimeZone::Source{root, path});
    // A zone lacking one of its values is left out and the rest are still read: one damaged or half-updated key
    // must not take every later zone (and so every city in them) away.
    bool complete = true;
    const bool walked = ForEachZoneKey(root, path, [&](HKEY table, std::wstring name) {
        win32::RegKey zoneKey;
        std::optional<CTimeZone::Values> values;
        if (::RegOpenKeyExW(table, name.c_str(), 0, KEY_READ, zoneKey.put()) == ERROR_SUCCESS)
            values = ReadValues(zoneKey.get());
        if (values)
            zones.push_back(std::make_unique<CTimeZone>(std::move(name), source, std::move(values)));
        else
            complete = false;
        return true;
    });
    return walked && complete;
}

bool LoadTimeZoneNames(TimeZoneList& zones, HKEY root, const wchar_t* path) {
    zones.clear();
    auto source = std::make_shared<const CTimeZone::Source>(CTimeZone::Source{root, path});
    return ForEachZoneKey(root, path, [&](HKEY, std::wstring name) {
        zones.push_back(std::make_unique<CTimeZone>(std::move(name), source));
        return true;
    });
}

const CTimeZone* FindTimeZone(const TimeZoneList& zones, const std::wstring& keyName) {
    for (const auto& zone : zones)
        if (zone->keyName == keyName)
            return zone.get();
    return nullptr;
}

// The time zones of the registry's "Time Zones" table, as the world clock names them.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

inline constexpr wchar_t kTimeZonesKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";

class CTimeZone {
public:
    // What a zone's registry key holds besides its name: "TZI", "Std" and "Dlt" in the zone information, and
    // "Display".
    struct Values {
        TIME_ZONE_INFORMATION info{};
        std::wstring displayName;
    };
    // Where a table was read from, shared by its zones for reading their values later.
    struct Source {
        HKEY root;
        std::wstring path;
    };

    CTimeZone(std::wstring keyName, std::shared_ptr<const Source> source, std::optional<Values> values = {});

    std::wstring keyName;

    // Read from the registry the first time either is asked for (start-up needs only the key names); a zone whose
    // values cannot be read then has empty zone information and no display name.
    const TIME_ZONE_INFORMATION& info() const { return Read().info; }
    const std::wstring& displayName() const { return Read().displayName; }
    bool ObservesDaylightSaving() const { return info().StandardDate.wMonth != 0 && info().DaylightDate.wMonth != 0; }

private:
    const Values& Read() const;
    std::shared_ptr<const Source> source_;
    mutable std::optional<Values> values_;
};

// Owned zones: their addresses stay put while the list grows, since cities and clocks refer to them.
using TimeZoneList = std::vector<std::unique_ptr<CTimeZone>>;

// Empties `zones` and fills it from the registry; a zone lacking one of its four values is left out and the others
// are read. False when the table cannot be opened or some zone was left out.
bool LoadTimeZones(TimeZoneList& zones, HKEY root = HKEY_LOCAL_MACHINE, const wchar_t* path = kTimeZonesKey);
// Empties `zones` and fills it with the table's key names only, one registry request per zone; each zone reads
// its values when first asked. False when the table cannot be opened or enumerated.
bool LoadTimeZoneNames(TimeZoneList& zones, HKEY root = HKEY_LOCAL_MACHINE, const wchar_t* path = kTimeZonesKey);
// The zone whose key name equals `keyName` (case-sensitive), or nullptr.
const CTimeZone* FindTimeZone(const TimeZoneList& zones, const std::wstring& keyName);

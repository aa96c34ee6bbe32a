// The city database "citydb.dat" shipped beside the program: time-zone key names and, per language, cities
// with the zone each lies in.
#pragma once
#include "pages/world_clock/city_database_file.h"
#include "pages/world_clock/time_zone.h"

#include <string>
#include <string_view>
#include <vector>

// Languages without a group of their own are offered this one.
inline constexpr int kFallbackCityLanguage = 2;

struct CCity {
    const CTimeZone* timeZone = nullptr;
    std::wstring name;
};

struct CCityGroup {
    int languageIndex = 0;
    std::vector<CCity> cities;
};

// One per process, owned by the clock page; Current() reaches it while it lives.
class CCityDatabase {
public:
    CCityDatabase();
    ~CCityDatabase();
    CCityDatabase(const CCityDatabase&) = delete;
    CCityDatabase& operator=(const CCityDatabase&) = delete;

    static CCityDatabase* Current();

    // The registry's zones by key name; each reads its values when a dialog or clock first asks for them.
    bool LoadTimeZones() { return ::LoadTimeZoneNames(zones_); }
    // LoadTimeZones (its result ignored), then the file beside the program.
    bool LoadCityDatabase();
    // LoadTimeZones, then the given file.
    bool LoadCityDatabase(const std::wstring& path);
    // Reads the file's bytes against the zones already loaded, replacing the zone names and groups; false on a
    // format error, keeping what was read before it. A city whose zone is not loaded is left out.
    bool ReadCityData(std::string_view bytes);

    const CTimeZone* FindTimeZone(const std::wstring& keyName) const { return ::FindTimeZone(zones_, keyName); }
    // The group of the language, else the group of language 2, else nullptr.
    const CCityGroup* FindCityGroup(int languageIndex) const;

    const TimeZoneList& zones() const { return zones_; }
    TimeZoneList& zones() { return zones_; }
    const std::vector<std::wstring>& zoneNames() const { return zoneNames_; }
    const std::vector<CCityGroup>& groups() const { return groups_; }

private:
    TimeZoneList zones_;
    std::vector<std::wstring> zoneNames_;
    std::vector<CCityGroup> groups_;
};

// The bytes of the city database "citydb.dat", read without the platform: zone key names and, per language,
// cities that refer to a zone by its index. Resolving the names to the registry's zones is CCityDatabase's part.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t kCityDatabaseFileName[] = L"citydb.dat";
inline constexpr uint32_t kCityDatabaseMagic = 0xFEABABEF;
inline constexpr int kMaxZoneNames = 1000;
inline constexpr int kMaxCityGroups = 100;
inline constexpr int kMaxCitiesPerGroup = 10000;
inline constexpr int kMaxCityDatabaseName = 64;
inline constexpr int kMaxGroupLanguage = 5;

struct CityDatabaseFile {
    struct City {
        int zoneIndex = 0; // always within zoneNames
        std::wstring name;
    };
    struct Group {
        int languageIndex = 0;
        std::vector<City> cities;
    };
    std::vector<std::wstring> zoneNames;
    std::vector<Group> groups;
    // False at the first format error; what was read before it stays, a group with the cities read so far.
    bool complete = false;
};

CityDatabaseFile ParseCityDatabase(std::string_view bytes);

#include "pages/world_clock/starting_city.h"

#include <cwchar>

const CTimeZone* FindMachineTimeZone(const TimeZoneList& zones) {
    // Looked up at run time: older systems have no dynamic zone information and name no key.
    using DynamicFunction = DWORD(WINAPI*)(DYNAMIC_TIME_ZONE_INFORMATION*);
    auto dynamic = reinterpret_cast<DynamicFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetDynamicTimeZoneInformation")));
    if (dynamic) {
        DYNAMIC_TIME_ZONE_INFORMATION info{};
        if (dynamic(&info) != TIME_ZONE_ID_INVALID && info.TimeZoneKeyName[0])
            if (const CTimeZone* zone = FindTimeZone(zones, info.TimeZoneKeyName))
                return zone;
    }
    TIME_ZONE_INFORMATION info{};
    if (::GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID)
        return nullptr;
    for (const auto& zone : zones)
        if (zone->info().Bias == info.Bias && std::wcscmp(zone->info().StandardName, info.StandardName) == 0)
            return zone.get();
    return nullptr;
}

const CCityGroup* FindMainCityGroup(const CCityDatabase& database, const CCityGroup& listed) {
    for (const CCityGroup& group : database.groups())
        if (&group != &listed && group.languageIndex == listed.languageIndex)
            return &group;
    return nullptr;
}

size_t StartingCityIndex(const CCityGroup& listed, const CCityGroup* mainCities, const CTimeZone* machineZone) {
    if (!machineZone)
        return 0;
    const std::wstring* mainName = nullptr;
    if (mainCities)
        for (const CCity& city : mainCities->cities)
            if (city.timeZone == machineZone) {
                mainName = &city.name;
                break;
            }
    size_t firstOfZone = listed.cities.size();
    for (size_t i = 0; i < listed.cities.size(); ++i) {
        if (listed.cities[i].timeZone != machineZone)
            continue;
        if (mainName && listed.cities[i].name == *mainName)
            return i;
        if (firstOfZone == listed.cities.size())
            firstOfZone = i;
    }
    return firstOfZone < listed.cities.size() ? firstOfZone : 0;
}

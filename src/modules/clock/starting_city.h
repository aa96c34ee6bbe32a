// Where the add dialog starts a new clock: at the main city of the machine's own time zone.
#pragma once
#include "modules/clock/city_database.h"
#include "modules/clock/time_zone.h"

// The zone the machine runs in: the registry key Windows names for it (Vista and later), else the zone whose
// standard name and bias are the machine's; nullptr when no zone of the list is.
const CTimeZone* FindMachineTimeZone(const TimeZoneList& zones);

// The file's second group of the language of `listed`: one city per zone, the zone's main city. Readers that look
// for a language's cities take its first group, so the second one is seen only here. nullptr when there is none.
const CCityGroup* FindMainCityGroup(const CCityDatabase& database, const CCityGroup& listed);

// The index in `listed` of the city a new clock starts at: the main city of `machineZone` where `mainCities` names
// one that `listed` has, else the first city of that zone, else the first city.
size_t StartingCityIndex(const CCityGroup& listed, const CCityGroup* mainCities, const CTimeZone* machineZone);

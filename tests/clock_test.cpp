// The world clock's data: the city database format, the registry's time zones, clock entries and their XML.
#include "pages/calendar/calendar_page.h"
#include "pages/world_clock/city_database.h"
#include "pages/world_clock/clock_entry.h"
#include "pages/world_clock/clock_page.h"
#include "pages/world_clock/starting_city.h"
#include "pages/world_clock/text_fit.h"
#include "shell/binary_io.h"
#include "shell/language.h"
#include "test_env.h"
#include "win32/com.h"
#include "win32/handle.h"
#include "win32/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace testenv;

namespace {

// Zones every Windows (and Wine) registry table has.
constexpr wchar_t kTokyo[] = L"Tokyo Standard Time";
constexpr wchar_t kLondon[] = L"GMT Standard Time";

struct City {
    int32_t zone;
    std::wstring name;
};
struct Group {
    int32_t language;
    std::vector<City> cities;
};

std::string CityFile(const std::vector<std::wstring>& zones, const std::vector<Group>& groups,
                     uint32_t magic = kCityDatabaseMagic) {
    shell::BinaryWriter out;
    out.PutUint32(magic);
    out.PutUint32(uint32_t(zones.size()));
    for (const auto& zone : zones)
        out.PutString(zone);
    out.PutUint32(uint32_t(groups.size()));
    for (const auto& group : groups) {
        out.PutUint32(uint32_t(group.language));
        out.PutUint32(uint32_t(group.cities.size()));
        for (const auto& city : group.cities) {
            out.PutUint32(uint32_t(city.zone));
            out.PutString(city.name);
        }
    }
    return out.bytes();
}

// Replaces the 32-bit field at `offset`.
std::string WithInt(std::string bytes, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + size_t(i)] = char((uint32_t(value) >> (8 * i)) & 0xFF);
    return bytes;
}

class CityDatabaseFormat : public ::testing::Test {
protected:
    CityDatabaseFormat() { database.LoadTimeZones(); }
    CCityDatabase database;
};

} // namespace

TEST_F(CityDatabaseFormat, ReadsZonesGroupsAndCitiesAgainstTheRegistry) {
    ASSERT_NE(database.FindTimeZone(kTokyo), nullptr);
    EXPECT_EQ(database.FindTimeZone(L"tokyo standard time"), nullptr) << "key names compare case-sensitively";
    const std::string file =
        CityFile({kTokyo, kLondon}, {{0, {{0, L"東京"}, {1, L"ロンドン"}}}, {2, {{1, L"London"}}}});
    ASSERT_TRUE(database.ReadCityData(file));
    ASSERT_EQ(database.groups().size(), 2u);
    const CCityGroup* japanese = database.FindCityGroup(0);
    ASSERT_NE(japanese, nullptr);
    ASSERT_EQ(japanese->cities.size(), 2u);
    EXPECT_EQ(japanese->cities[1].name, L"ロンドン");
    EXPECT_EQ(japanese->cities[1].timeZone, database.FindTimeZone(kLondon));
    // Languages without a group of their own get the British English group.
    EXPECT_EQ(database.FindCityGroup(7), database.FindCityGroup(2));
    EXPECT_EQ(database.FindCityGroup(6)->cities[0].name, L"London");
}

TEST_F(CityDatabaseFormat, RejectsWrongMagicAndOutOfRangeCounts) {
    EXPECT_FALSE(database.ReadCityData(CityFile({kTokyo}, {}, 0xFEABABEE)));
    EXPECT_TRUE(database.zoneNames().empty());

    const std::string good = CityFile({kTokyo}, {{0, {{0, L"Tokyo"}}}});
    EXPECT_FALSE(CCityDatabase().ReadCityData(WithInt(good, 4, 1001))) << "T = 1001";
    EXPECT_FALSE(CCityDatabase().ReadCityData(WithInt(good, 4, -1)));
    const size_t groupCountAt = 8 + 4 + 2 * wcslen(kTokyo);
    {
        CCityDatabase db;
        db.LoadTimeZones();
        EXPECT_FALSE(db.ReadCityData(WithInt(good, groupCountAt, 101))) << "G = 101";
        EXPECT_EQ(db.zoneNames().size(), 1u) << "the names read before stay";
    }
    {
        CCityDatabase db;
        db.LoadTimeZones();
        EXPECT_TRUE(db.ReadCityData(CityFile({}, {}))) << "T = 0 and G = 0";
        EXPECT_TRUE(db.groups().empty());
        EXPECT_EQ(db.FindCityGroup(0), nullptr);
    }
}

TEST_F(CityDatabaseFormat, LanguageSixStopsTheLoadAndEarlierGroupsStay) {
    const std::string file = CityFile({kTokyo}, {{5, {{0, L"Tokyo"}}}, {6, {{0, L"Tokio"}}}, {1, {{0, L"Tokyo"}}}});
    EXPECT_FALSE(database.ReadCityData(file));
    ASSERT_EQ(database.groups().size(), 1u);
    EXPECT_EQ(database.groups()[0].languageIndex, 5);
}

TEST_F(CityDatabaseFormat, NamesOfMoreThan64UnitsAndBadCityIndexesFail) {
    EXPECT_TRUE(CCityDatabase().ReadCityData(CityFile({std::wstring(64, L'x')}, {})));
    EXPECT_FALSE(CCityDatabase().ReadCityData(CityFile({std::wstring(65, L'x')}, {}))) << "zone name of 65";

    const std::string longCity = CityFile({kTokyo}, {{0, {{0, L"A"}, {0, std::wstring(65, L'c')}}}});
    EXPECT_FALSE(database.ReadCityData(longCity));
    ASSERT_EQ(database.groups().size(), 1u);
    EXPECT_EQ(database.groups()[0].cities.size(), 1u) << "the city before the bad one stays";

    // The limits themselves: an index equal to the number of names is out of range; exactly 1,000 names are not.
    for (int32_t index : {0, 1, -1})
        EXPECT_EQ(ParseCityDatabase(CityFile({kTokyo}, {{0, {{index, L"City"}}}})).complete, index == 0) << index;
    EXPECT_TRUE(ParseCityDatabase(CityFile(std::vector<std::wstring>(1000, L"Zone"), {})).complete);
}

// A machine whose table lacks a zone (older systems miss recent ones) loses only the cities in it.
TEST_F(CityDatabaseFormat, ZoneMissingFromTheRegistryLeavesOutOnlyItsCities) {
    const std::string file = CityFile({kTokyo, L"Nowhere Standard Time"},
                                      {{0, {{0, L"Tokyo"}, {1, L"Nowhere"}, {0, L"Osaka"}}}, {2, {{1, L"Atlantis"}}}});
    EXPECT_TRUE(database.ReadCityData(file));
    ASSERT_EQ(database.groups().size(), 2u);
    ASSERT_EQ(database.groups()[0].cities.size(), 2u);
    EXPECT_EQ(database.groups()[0].cities[1].name, L"Osaka");
    EXPECT_TRUE(database.groups()[1].cities.empty());
}

TEST(ShippedCityDatabase, FitsItsLimitsAndListsTheWorldsCitiesInEveryLanguage) {
    const auto bytes = ReadFile(SourceFile(L"data/program/citydb.dat"));
    ASSERT_TRUE(bytes);
    const CityDatabaseFile file = ParseCityDatabase(*bytes);
    ASSERT_TRUE(file.complete);
    EXPECT_LE(file.zoneNames.size(), size_t(kMaxZoneNames));
    EXPECT_LE(file.groups.size(), size_t(kMaxCityGroups));
    CCityDatabase database;
    ASSERT_TRUE(database.LoadCityDatabase(SourceFile(L"data/program/citydb.dat"))) << "every zone is in the registry";

    // Each language lists the same cities, in the same zones, each name once.
    std::multiset<std::wstring> zonesOfEnglish;
    for (int language = 0; language <= 5; ++language) {
        const CCityGroup* group = database.FindCityGroup(language);
        ASSERT_NE(group, nullptr) << language;
        ASSERT_EQ(group->languageIndex, language);
        EXPECT_GT(group->cities.size(), 4000u) << language;
        EXPECT_LE(group->cities.size(), size_t(kMaxCitiesPerGroup)) << language;
        std::multiset<std::wstring> zones;
        std::set<std::wstring> names;
        for (const CCity& city : group->cities) {
            zones.insert(city.timeZone->keyName);
            EXPECT_TRUE(names.insert(city.name).second) << language << " lists a name twice";
        }
        if (language == 0)
            zonesOfEnglish = zones;
        EXPECT_EQ(zones, zonesOfEnglish) << language;
    }

    struct Known {
        int language;
        const wchar_t* name;
        const wchar_t* zone;
    };
    const Known known[] = {
        {0, L"東京", kTokyo},
        {0, L"大阪", kTokyo},
        {0, L"北京", L"China Standard Time"},
        {0, L"ロンドン（イギリス）", kLondon},
        {0, L"ニューヨーク", L"Eastern Standard Time"},
        {0, L"サンフランシスコ", L"Pacific Standard Time"},
        {0, L"ムンバイ", L"India Standard Time"},
        {0, L"キャンベラ", L"AUS Eastern Standard Time"},
        {1, L"Pékin", L"China Standard Time"},
        {1, L"Londres", kLondon},
        {1, L"Paris, France", L"Romance Standard Time"},
        {1, L"Moscou", L"Russian Standard Time"},
        {2, L"London, United Kingdom", kLondon},
        {2, L"London, Kiribati", L"Line Islands Standard Time"},
        {2, L"Rio de Janeiro", L"E. South America Standard Time"},
        {2, L"Hanoi", L"SE Asia Standard Time"},
        {3, L"Pechino", L"China Standard Time"},
        {3, L"Londra, Regno Unito", kLondon},
        {4, L"Peking", L"China Standard Time"},
        {4, L"München", L"W. Europe Standard Time"},
        {4, L"Moskau", L"Russian Standard Time"},
        {5, L"Washington, District of Columbia, United States", L"Eastern Standard Time"},
        {5, L"New Delhi", L"India Standard Time"},
        {5, L"Las Palmas", kLondon},
        {5, L"Denpasar", L"Singapore Standard Time"},
    };
    auto indexOf = [&](int language, const std::wstring& name) {
        const auto& cities = database.FindCityGroup(language)->cities;
        auto found = std::find_if(cities.begin(), cities.end(), [&](const CCity& c) { return c.name == name; });
        return found == cities.end() ? -1 : int(found - cities.begin());
    };
    for (const Known& city : known) {
        const int index = indexOf(city.language, city.name);
        ASSERT_GE(index, 0) << city.language << " " << win32::WideToUtf8(city.name);
        EXPECT_EQ(database.FindCityGroup(city.language)->cities[size_t(index)].timeZone->keyName, city.zone)
            << win32::WideToUtf8(city.name);
    }
    // Japanese in gojūon order, kanji by their reading: アテネ, 大阪 (おおさか), 東京 (とうきょう), 北京 (ぺきん),
    // ロンドン, then names in Latin letters.
    EXPECT_EQ(database.FindCityGroup(0)->cities.front().name.front(), L'ア');
    EXPECT_LT(indexOf(0, L"アテネ"), indexOf(0, L"大阪"));
    EXPECT_LT(indexOf(0, L"大阪"), indexOf(0, L"東京"));
    EXPECT_LT(indexOf(0, L"東京"), indexOf(0, L"北京"));
    EXPECT_LT(indexOf(0, L"北京"), indexOf(0, L"ロンドン（イギリス）"));
    EXPECT_GE(database.FindCityGroup(0)->cities.back().name.front(), L'A');
    EXPECT_LT(database.FindCityGroup(0)->cities.back().name.front(), 0x3000);
    // Accents and apostrophes do not count: Zürich among the Z's of German, "’Adan" among the A's of French.
    EXPECT_LT(indexOf(4, L"Zürich"), indexOf(4, L"Zwolle"));
    EXPECT_LT(indexOf(1, L"Abha"), indexOf(1, L"’Adan"));
    // A capital comes first among cities of its name.
    EXPECT_EQ(indexOf(2, L"London, United Kingdom") + 1, indexOf(2, L"London, Canada"));
}

TEST(ShippedCityDatabase, ANewClockStartsAtTheMainCityOfTheMachinesZone) {
    CCityDatabase database;
    ASSERT_TRUE(database.LoadCityDatabase(SourceFile(L"data/program/citydb.dat")));
    const CTimeZone* tokyo = database.FindTimeZone(kTokyo);
    const CTimeZone* eastern = database.FindTimeZone(L"Eastern Standard Time");
    const CTimeZone* utc = database.FindTimeZone(L"UTC");
    ASSERT_TRUE(tokyo && eastern && utc);
    auto start = [&](int language, const CTimeZone* zone) {
        const CCityGroup& group = *database.FindCityGroup(language);
        return group.cities[StartingCityIndex(group, FindMainCityGroup(database, group), zone)].name;
    };
    EXPECT_EQ(start(0, tokyo), L"東京");
    EXPECT_EQ(start(4, tokyo), L"Tokio");
    EXPECT_EQ(start(5, eastern), L"New York");
    EXPECT_EQ(start(0, nullptr), database.FindCityGroup(0)->cities.front().name);
    // A zone without a main city starts at its first city, one without any city at the first city of all.
    const std::string file =
        CityFile({kTokyo, kLondon}, {{2, {{0, L"A"}, {1, L"B"}, {1, L"C"}, {0, L"D"}}}, {2, {{0, L"D"}}}});
    CCityDatabase small;
    small.LoadTimeZones();
    ASSERT_TRUE(small.ReadCityData(file));
    const CCityGroup& group = *small.FindCityGroup(2);
    const CCityGroup* main = FindMainCityGroup(small, group);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(StartingCityIndex(group, main, small.FindTimeZone(kTokyo)), 3u);
    EXPECT_EQ(StartingCityIndex(group, main, small.FindTimeZone(kLondon)), 1u);
    EXPECT_EQ(StartingCityIndex(group, main, small.FindTimeZone(L"Eastern Standard Time")), 0u);
    EXPECT_EQ(StartingCityIndex(group, nullptr, small.FindTimeZone(kTokyo)), 0u);
    EXPECT_EQ(FindMachineTimeZone(small.zones()) != nullptr, true) << "Wine names the machine's zone";
}

// The all-users defaults of each language (what INIT_DATA puts in place): clocks named in the language whose
// cities the language's list holds, so Edit preselects them and OK writes them back unchanged; the language's own
// hours and first weekday.
TEST(ShippedDefaults, ClocksAndCalendarFitEachLanguage) {
    win32::ComInit com;
    CCityDatabase database;
    ASSERT_TRUE(database.LoadCityDatabase(SourceFile(L"data/program/citydb.dat")));
    auto shipped = [](const std::wstring& code, const std::wstring& module) {
        const std::wstring own = SourceFile(L"data/defaults/" + code + L"/" + module + L"/data.xml");
        return FileExists(own) ? own : SourceFile(L"data/common/Modules/" + module + L"/data.xml");
    };
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        const std::wstring code = shell::GetLanguageCode(language);
        const std::string where = win32::WideToUtf8(code);
        xmldata::XmlDocument clocks;
        ASSERT_TRUE(clocks.Load(shipped(code, L"Clock"))) << where;
        const std::wstring hours = language == 5 ? L"true" : L"false";
        EXPECT_EQ(clocks.SelectText(L"./main/ampm"), hours) << where;
        EXPECT_EQ(clocks.SelectText(L"./sub/ampm"), hours) << where;
        const CCityGroup* group = database.FindCityGroup(language <= 5 ? language : 2);
        auto entries = clocks.SelectNodes(L"./main/clock");
        ASSERT_EQ(entries.size(), 3u) << where;
        for (size_t i = 0; i < entries.size(); ++i) {
            CClockEntry entry;
            ASSERT_TRUE(ReadClockEntry(entry, entries[i], database)) << where;
            if (i == 0 && language != 2 && language != 5) {
                EXPECT_NE(entry.name, L"Local Time") << where << " names its local clock itself";
            }
            if (!entry.timeZone)
                continue;
            auto city = std::find_if(group->cities.begin(), group->cities.end(), [&](const CCity& c) {
                return c.name == entry.region && c.timeZone == entry.timeZone;
            });
            EXPECT_NE(city, group->cities.end()) << where << " " << win32::WideToUtf8(entry.region);
            CClockEntry named = entry;
            SetClockName(named, entry.name);
            EXPECT_EQ(named.display, entry.display) << where;
        }
        xmldata::XmlDocument calendar;
        ASSERT_TRUE(calendar.Load(shipped(code, L"Calendar"))) << where;
        EXPECT_EQ(calendar.SelectText(L"./setting/calendar"), language == 0 || language == 5 ? L"sun" : L"mon")
            << where;
    }
    // The calendar link opens a page of a real calendar service, not a reserved name.
    const std::wstring link = kCalendarServiceUrl;
    EXPECT_EQ(link.rfind(L"https://", 0), 0u);
    for (const wchar_t* reserved : {L".example", L"example.com", L"example.net", L"example.org", L".test", L".invalid"})
        EXPECT_EQ(link.find(reserved), std::wstring::npos) << win32::WideToUtf8(reserved);
}

constexpr wchar_t kTestZones[] = L"Software\\SkylumeTests\\Time Zones";

// A zone of the test table, -60 minutes from UTC; a month of 0 means no change of time.
void AddTestZone(const std::wstring& name, WORD standardMonth, WORD daylightMonth, bool withDisplay) {
    const std::wstring key = std::wstring(kTestZones) + L"\\" + name;
    BYTE tzi[44] = {};
    tzi[0] = 0xC4; // bias -60
    tzi[1] = tzi[2] = tzi[3] = 0xFF;
    tzi[12 + 2] = BYTE(standardMonth);
    tzi[28 + 2] = BYTE(daylightMonth);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"TZI", REG_BINARY, tzi, sizeof(tzi));
    SetRegistryText(HKEY_CURRENT_USER, key, L"Std", name + L" standard name that is longer than thirty-one characters");
    SetRegistryText(HKEY_CURRENT_USER, key, L"Dlt", L"D");
    if (withDisplay)
        SetRegistryText(HKEY_CURRENT_USER, key, L"Display", name);
}

TEST(TimeZones, IncompleteZonesAreLeftOutAndDaylightNeedsBothMonths) {
    RegistryKeyCleaner cleaner(HKEY_CURRENT_USER, L"Software\\SkylumeTests");
    AddTestZone(L"A Zone", 10, 3, true);
    AddTestZone(L"B Zone", 10, 0, true);
    AddTestZone(L"C Zone", 10, 3, false);
    AddTestZone(L"D Zone", 10, 3, true);

    TimeZoneList zones;
    EXPECT_FALSE(LoadTimeZones(zones, HKEY_CURRENT_USER, kTestZones));
    ASSERT_EQ(zones.size(), 3u) << "only the incomplete zone is left out";
    EXPECT_EQ(zones[0]->keyName, L"A Zone");
    EXPECT_EQ(zones[2]->keyName, L"D Zone");
    EXPECT_EQ(zones[0]->info().Bias, -60);
    EXPECT_EQ(std::wstring(zones[0]->info().StandardName).size(), 31u);
    EXPECT_TRUE(zones[0]->ObservesDaylightSaving());
    EXPECT_FALSE(zones[1]->ObservesDaylightSaving());
    EXPECT_EQ(FindTimeZone(zones, L"B Zone"), zones[1].get());

    EXPECT_FALSE(LoadTimeZones(zones, HKEY_CURRENT_USER, L"Software\\SkylumeTests\\Nothing"));
    EXPECT_TRUE(zones.empty());
}

// Start-up reads the key names alone; a zone's values are read once, when something first asks for them.
TEST(TimeZones, NameListReadsEachZonesValuesWhenFirstAskedFor) {
    RegistryKeyCleaner cleaner(HKEY_CURRENT_USER, L"Software\\SkylumeTests");
    AddTestZone(L"A Zone", 10, 3, true);
    AddTestZone(L"B Zone", 10, 3, false);
    AddTestZone(L"C Zone", 10, 3, true);

    TimeZoneList zones;
    ASSERT_TRUE(LoadTimeZoneNames(zones, HKEY_CURRENT_USER, kTestZones));
    ASSERT_EQ(zones.size(), 3u);
    EXPECT_EQ(FindTimeZone(zones, L"C Zone"), zones[2].get());
    // Values changed after the names were read are the ones the zone reports: none was read with the names.
    AddTestZone(L"A Zone", 10, 0, true);
    EXPECT_FALSE(zones[0]->ObservesDaylightSaving());
    EXPECT_EQ(zones[0]->info().Bias, -60);
    EXPECT_EQ(zones[0]->displayName(), L"A Zone");
    // Once read, they stay.
    AddTestZone(L"A Zone", 10, 3, true);
    EXPECT_FALSE(zones[0]->ObservesDaylightSaving());
    // A zone lacking one of its values has none.
    EXPECT_FALSE(zones[1]->ObservesDaylightSaving());
    EXPECT_EQ(zones[1]->displayName(), L"");
    EXPECT_EQ(zones[1]->info().Bias, 0);
    // A zone whose key went away meanwhile has none either.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kTestZones) + L"\\C Zone").c_str());
    EXPECT_EQ(zones[2]->displayName(), L"");

    EXPECT_FALSE(LoadTimeZoneNames(zones, HKEY_CURRENT_USER, L"Software\\SkylumeTests\\Nothing"));
    EXPECT_TRUE(zones.empty());
}

TEST(ClockEntries, DisplayIsTheNameShortenedForTheLabel) {
    CClockEntry entry;
    SetClockName(entry, L"Buenos Aires");
    EXPECT_EQ(entry.display, L"Buenos Aires");
    // The label is 180 pixels wide: a name between 165 and 175 pixels in the label's font stays whole.
    const win32::Font font(::CreateFontW(16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                         CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH, L"MS UI Gothic"));
    std::wstring fits = L"Q";
    while (MeasureTextWidth(fits, font.get()) < 165)
        fits += MeasureTextWidth(fits + L"W", font.get()) <= 175 ? L'W' : L'i';
    ASSERT_LE(MeasureTextWidth(fits, font.get()), 175);
    SetClockName(entry, fits);
    EXPECT_EQ(entry.display, fits);
    const std::wstring wide(32, L'\x6771');
    SetClockName(entry, wide);
    EXPECT_EQ(entry.name, wide);
    ASSERT_GE(entry.display.size(), 3u);
    EXPECT_LT(entry.display.size(), wide.size());
    EXPECT_EQ(entry.display.substr(entry.display.size() - 3), L"...");
    SetClockName(entry, L"");
    EXPECT_EQ(entry.name, wide) << "an empty text changes nothing";
}

TEST(ClockEntries, XmlFormOfLocalAndCityClocks) {
    win32::ComInit com;
    CCityDatabase database;
    database.LoadTimeZones();
    auto writer = xmldata::XmlWriter::Rewrite();
    CClockEntry local;
    SetClockName(local, L"Home");
    WriteClockEntry(local, writer, writer.Root());
    CClockEntry city;
    SetClockName(city, L"Tokyo");
    SetClockZone(city, database.FindTimeZone(kTokyo));
    WriteClockEntry(city, writer, writer.Root());
    city.region = L"東京";
    city.daylightSaving = 1;
    WriteClockEntry(city, writer, writer.Root());
    // Wine's `xml` indents a document that has no whitespace nodes; the layout is compared without it.
    std::wstring xml = writer.Xml();
    std::erase_if(xml, [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; });
    EXPECT_EQ(xml, L"<conf_data><clock><display>Home</display><name>Home</name></clock>"
                   L"<clock><locale>Tokyo Standard Time</locale><display>Tokyo</display><name>Tokyo</name>"
                   L"<daylightsaving>false</daylightsaving></clock>"
                   L"<clock><locale>Tokyo Standard Time</locale><display>Tokyo</display><name>Tokyo</name>"
                   L"<daylightsaving>true</daylightsaving><region>東京</region></clock></conf_data>");

    auto clocks = writer.SelectNodes(L"./clock");
    ASSERT_EQ(clocks.size(), 3u);
    CClockEntry read;
    ASSERT_TRUE(ReadClockEntry(read, clocks[2], database));
    EXPECT_TRUE(read.SameAs(city));
    ASSERT_TRUE(ReadClockEntry(read = {}, clocks[0], database));
    EXPECT_TRUE(read.IsLocal());
    EXPECT_EQ(read.name, L"Home");
}

TEST(ClockEntries, UnusableClockElements) {
    win32::ComInit com;
    CCityDatabase database;
    database.LoadTimeZones();
    xmldata::XmlDocument document;
    TempFolder folder(L"clock");
    ASSERT_TRUE(WriteFile(folder / L"c.xml", "<conf_data><clock><name>no display</name></clock>"
                                             "<clock><display>only display</display></clock>"
                                             "<clock><locale>Nowhere Standard Time</locale><display>x</display>"
                                             "<daylightsaving>true</daylightsaving></clock>"
                                             "<clock><locale>Tokyo Standard Time</locale><display>x</display></clock>"
                                             "<clock><locale>Tokyo Standard Time</locale><display>x</display>"
                                             "<daylightsaving>True</daylightsaving></clock></conf_data>"));
    ASSERT_TRUE(document.Load(folder / L"c.xml"));
    auto clocks = document.SelectNodes(L"./clock");
    ASSERT_EQ(clocks.size(), 5u);
    CClockEntry entry;
    EXPECT_FALSE(ReadClockEntry(entry, clocks[0], database)) << "no display";
    ASSERT_TRUE(ReadClockEntry(entry, clocks[1], database));
    EXPECT_EQ(entry.name, L"only display") << "the name falls back to the display text";
    ASSERT_TRUE(ReadClockEntry(entry, clocks[2], database)) << "a zone this machine lacks is kept";
    EXPECT_EQ(entry.zoneKey, L"Nowhere Standard Time");
    EXPECT_EQ(entry.timeZone, nullptr);
    EXPECT_FALSE(ReadClockEntry(entry, clocks[3], database)) << "locale without daylightsaving";
    ASSERT_TRUE(ReadClockEntry(entry, clocks[4], database));
    EXPECT_EQ(entry.daylightSaving, 0) << "only \"true\" counts";
}

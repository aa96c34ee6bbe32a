// The world clock's data: the city database format, the registry's time zones, clock entries and their XML.
#include "modules/clock/city_database.h"
#include "modules/clock/clock_entry.h"
#include "modules/clock/clock_page.h"
#include "shell/binary_io.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>

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

    for (int32_t index : {1, -1}) {
        CCityDatabase db;
        db.LoadTimeZones();
        EXPECT_FALSE(db.ReadCityData(CityFile({kTokyo}, {{0, {{index, L"Nowhere"}}}}))) << index;
    }
}

TEST_F(CityDatabaseFormat, ZoneMissingFromTheRegistryFailsAtItsFirstCity) {
    const std::string file =
        CityFile({kTokyo, L"Nowhere Standard Time"}, {{0, {{0, L"Tokyo"}, {1, L"Nowhere"}, {0, L"Osaka"}}}});
    EXPECT_FALSE(database.ReadCityData(file));
    ASSERT_EQ(database.groups().size(), 1u);
    ASSERT_EQ(database.groups()[0].cities.size(), 1u);
    EXPECT_EQ(database.groups()[0].cities[0].name, L"Tokyo");
}

TEST_F(CityDatabaseFormat, TruncatedFilesAndHugeClaimedCountsFailWithoutAllocatingThem) {
    const std::string file = CityFile({kTokyo}, {{0, {{0, L"Tokyo"}, {0, L"Osaka"}}}});
    for (size_t cut = 0; cut < file.size(); cut += 3) {
        CCityDatabase db;
        db.LoadTimeZones();
        EXPECT_FALSE(db.ReadCityData(std::string_view(file).substr(0, cut))) << cut;
    }
    // A string claiming four thousand million units in a file of a few bytes.
    std::string huge = CityFile({kTokyo}, {});
    huge = WithInt(huge, 8, -1);
    EXPECT_FALSE(CCityDatabase().ReadCityData(huge));
}

TEST(ShippedCityDatabase, LoadsCompletelyAndEveryZoneIsInTheRegistry) {
    CCityDatabase database;
    ASSERT_TRUE(database.LoadCityDatabase(SourceFile(L"data/program/citydb.dat")));
    ASSERT_FALSE(database.zoneNames().empty());
    for (const std::wstring& name : database.zoneNames())
        EXPECT_NE(database.FindTimeZone(name), nullptr) << std::string(name.begin(), name.end());
    for (int language = 0; language <= 5; ++language) {
        const CCityGroup* group = database.FindCityGroup(language);
        ASSERT_NE(group, nullptr) << language;
        EXPECT_EQ(group->languageIndex, language);
        EXPECT_GT(group->cities.size(), 300u) << language;
    }
    auto hasCity = [&](int language, const std::wstring& name, const wchar_t* zone) {
        for (const CCity& city : database.FindCityGroup(language)->cities)
            if (city.name == name)
                return city.timeZone->keyName == zone;
        return false;
    };
    EXPECT_TRUE(hasCity(0, L"東京", kTokyo));
    EXPECT_TRUE(hasCity(4, L"Tokio", kTokyo));
    EXPECT_TRUE(hasCity(2, L"London", kLondon));
    EXPECT_TRUE(hasCity(1, L"Londres", kLondon));
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

TEST(TimeZones, FirstIncompleteZoneEndsTheListAndDaylightNeedsBothMonths) {
    RegistryKeyCleaner cleaner(HKEY_CURRENT_USER, L"Software\\SkylumeTests");
    AddTestZone(L"A Zone", 10, 3, true);
    AddTestZone(L"B Zone", 10, 0, true);
    AddTestZone(L"C Zone", 10, 3, false);
    AddTestZone(L"D Zone", 10, 3, true);

    TimeZoneList zones;
    EXPECT_FALSE(LoadTimeZones(zones, HKEY_CURRENT_USER, kTestZones));
    ASSERT_EQ(zones.size(), 2u) << "zones before the incomplete one stay";
    EXPECT_EQ(zones[0]->keyName, L"A Zone");
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
    city.timeZone = database.FindTimeZone(kTokyo);
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
    EXPECT_EQ(read.timeZone, nullptr);
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
    EXPECT_FALSE(ReadClockEntry(entry, clocks[2], database)) << "zone not in the registry";
    EXPECT_FALSE(ReadClockEntry(entry, clocks[3], database)) << "locale without daylightsaving";
    ASSERT_TRUE(ReadClockEntry(entry, clocks[4], database));
    EXPECT_EQ(entry.daylightSaving, 0) << "only \"true\" counts";
}

// Which buttons a selection enables is checked through the clock page itself (clock_window_test.cpp).
TEST(ClockListRules, TopIndexKeepsTheTargetInView) {
    EXPECT_EQ(TopIndexShowing(6, 0, 4), 3);
    EXPECT_EQ(TopIndexShowing(1, 3, 4), 1);
    EXPECT_EQ(TopIndexShowing(4, 3, 4), 3);
}

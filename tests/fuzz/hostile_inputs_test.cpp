// The classic hostile inputs for each reader, with the outcome each reader defines for them: counts at and past
// their limits, lengths that run past the end, files cut at every byte, invalid surrogates, deep nesting and
// entity expansion.
#include "pages/display/background_list.h"
#include "pages/news/additional_feeds.h"
#include "pages/news/channel_list.h"
#include "pages/photo/photo_data.h"
#include "pages/world_clock/city_database.h"
#include "shell/changed_modules_file.h"
#include "test_env.h"
#include "win32/com.h"
#include "xmldata/xml_document.h"

#include <gtest/gtest.h>

using namespace testenv;

namespace {

std::string U32(uint32_t value) {
    return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

std::string Utf16(const std::wstring& text) {
    std::string bytes = U32(uint32_t(text.size()));
    for (wchar_t unit : text)
        bytes += std::string{char(unit & 0xFF), char(unit >> 8)};
    return bytes;
}

// Lone and reversed surrogates, which the binary strings carry through unchanged.
const std::wstring kBadSurrogates = {L'a', wchar_t(0xD800), wchar_t(0xDC00), wchar_t(0xD800), L'b', wchar_t(0xDFFF)};

std::string BackgroundList(uint32_t count, const std::vector<std::wstring>& paths) {
    std::string bytes = U32(display::kBackgroundListMagic) + U32(count);
    for (const std::wstring& path : paths)
        bytes += Utf16(path);
    return bytes;
}

std::string Nested(int depth) {
    std::string xml = "<conf_data>";
    for (int i = 0; i < depth; ++i)
        xml += "<main>";
    for (int i = 0; i < depth; ++i)
        xml += "</main>";
    return xml + "</conf_data>";
}

std::string BillionLaughs(const std::string& root, const std::string& body) {
    std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE " + root + " [<!ENTITY lol0 \"lol\">";
    for (int n = 1; n <= 9; ++n) {
        xml += "<!ENTITY lol" + std::to_string(n) + " \"";
        for (int k = 0; k < 10; ++k)
            xml += "&lol" + std::to_string(n - 1) + ";";
        xml += "\">";
    }
    return xml + "]>" + body;
}

} // namespace

TEST(HostileBinaryInputs, ChangedModulesFileCutAtEveryByteIsRefused) {
    const std::string whole = shell::BuildChangedModulesFile({L"", L"Photo", kBadSurrogates}, 1);
    for (size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_FALSE(shell::ParseChangedModulesFile(whole.substr(0, cut))) << cut;
    auto read = shell::ParseChangedModulesFile(whole);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->modules[2], kBadSurrogates);
    EXPECT_FALSE(shell::ParseChangedModulesFile(U32(0) + U32(0xFFFFFFFF) + Utf16(L"x"))) << "count past the end";
    EXPECT_FALSE(shell::ParseChangedModulesFile(U32(0) + U32(1) + U32(0xFFFFFFFF) + "ab")) << "length past the end";
}

TEST(HostileBinaryInputs, BackgroundListCountsAndLengths) {
    EXPECT_TRUE(display::ParseBackgroundList(BackgroundList(0xFFFFFFFF, {L"a"})).empty()) << "count -1";
    EXPECT_TRUE(display::ParseBackgroundList(BackgroundList(0, {L"a"})).empty());
    EXPECT_TRUE(display::ParseBackgroundList(BackgroundList(10001, {L"a"})).empty()) << "count 10001";
    const std::vector<std::wstring> limit(10000, L"C:\\p.jpg");
    EXPECT_EQ(display::ParseBackgroundList(BackgroundList(10000, limit)).size(), 10000u);
    EXPECT_EQ(display::ParseBackgroundList(BackgroundList(10000, {L"a", L"b"})).size(), 2u) << "a count the bytes "
                                                                                               "cannot back";
    EXPECT_EQ(display::ParseBackgroundList(BackgroundList(2, {L"a"}) + U32(0xFFFFFFFF) + "xy").size(), 1u);
    EXPECT_EQ(display::ParseBackgroundList(BackgroundList(1, {kBadSurrogates})).front(), kBadSurrogates);
    const std::string whole = BackgroundList(3, {L"C:\\a.jpg", L"", L"D:\\b.png"});
    for (size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_LT(display::ParseBackgroundList(whole.substr(0, cut)).size(), 3u) << cut;
}

TEST(HostileBinaryInputs, AdditionalFeedsCutAtEveryByteFailsKeepingWholePairs) {
    const std::string whole = U32(2) + Utf16(L"http://a/") + Utf16(kBadSurrogates) + Utf16(L"http://b/") + Utf16(L"");
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        news::FeedPairs pairs;
        EXPECT_FALSE(news::DecodeAdditionalFeeds(whole.substr(0, cut), pairs)) << cut;
        EXPECT_EQ(pairs.urls.size(), pairs.titles.size());
    }
    news::FeedPairs pairs;
    ASSERT_TRUE(news::DecodeAdditionalFeeds(whole, pairs));
    EXPECT_EQ(pairs.titles[0], kBadSurrogates);
    news::FeedPairs many;
    EXPECT_FALSE(news::DecodeAdditionalFeeds(U32(0xFFFFFFFF) + Utf16(L"u") + Utf16(L"t"), many));
    EXPECT_EQ(many.urls.size(), 1u) << "the list grows with the pairs the bytes hold";
}

TEST(HostileBinaryInputs, CityDatabaseCutAtEveryByteFails) {
    const std::string whole = U32(kCityDatabaseMagic) + U32(1) + Utf16(L"Tokyo Standard Time") + U32(1) + U32(2) +
                              U32(2) + U32(0) + Utf16(L"Tokyo") + U32(0) + Utf16(kBadSurrogates);
    CCityDatabase reference;
    reference.LoadTimeZones();
    ASSERT_TRUE(reference.ReadCityData(whole));
    EXPECT_EQ(reference.groups()[0].cities[1].name, kBadSurrogates);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        CCityDatabase database;
        database.zones().swap(reference.zones());
        EXPECT_FALSE(database.ReadCityData(whole.substr(0, cut))) << cut;
        database.zones().swap(reference.zones());
    }
    // A zone name claiming four thousand million units in a file of a few bytes.
    EXPECT_FALSE(CCityDatabase().ReadCityData(U32(kCityDatabaseMagic) + U32(1) + U32(0xFFFFFFFF) + "ab"));
}

class HostileXmlInputs : public ::testing::Test {
protected:
    std::wstring Write(const std::wstring& name, const std::string& xml) {
        const std::wstring path = folder / name;
        EXPECT_TRUE(WriteFile(path, xml));
        return path;
    }
    win32::ComInit com;
    TempFolder folder{L"hostile-xml"};
};

TEST_F(HostileXmlInputs, DeepNestingAndEntityExpansionAreRefusedByTheXmlLayer) {
    for (int depth : {1000, 100000}) {
        xmldata::XmlDocument doc;
        const std::string xml = Nested(depth);
        const std::wstring path = Write(L"nested.xml", xml);
        doc.Load(path); // loads or refuses; either way the file stays as it was
        EXPECT_EQ(ReadFile(path), xml) << depth;
    }
    xmldata::XmlDocument doc;
    EXPECT_FALSE(doc.Load(Write(L"laughs.xml", BillionLaughs("conf_data", "<conf_data>&lol9;</conf_data>"))));
}

TEST_F(HostileXmlInputs, PhotoAndChannelReadersGiveTheirFailureOutcome) {
    const std::string laughs = BillionLaughs("conf_data", "<conf_data><main>&lol9;</main></conf_data>");
    CPhotoData photos;
    EXPECT_FALSE(photos.Load(Write(L"data.xml", laughs), false));
    EXPECT_FALSE(photos.Load(Write(L"data.xml", Nested(100000)), false));
    EXPECT_TRUE(photos.items().empty());

    Write(news::kChannelListFileName,
          BillionLaughs("opml", "<opml version=\"1.0\"><head><title>&lol9;</title></head><body/></opml>"));
    news::ChannelListHeader header;
    std::vector<std::unique_ptr<CRSSChannel>> channels;
    EXPECT_FALSE(news::LoadChannelList(header, folder.path(), channels));
    EXPECT_TRUE(channels.empty());
}

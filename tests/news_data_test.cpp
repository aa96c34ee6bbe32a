// The channel list and the additional-feeds file on real files, from this process and from several at once.
#include "pages/news/additional_feeds.h"
#include "pages/news/channel_list.h"
#include "pages/news/named_mutex.h"
#include "pages/news/url_text.h"
#include "shell/binary_io.h"
#include "shell/folders.h"
#include "test_env.h"
#include "win32/com.h"
#include "win32/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

using namespace testenv;

namespace {

using Channels = std::vector<std::unique_ptr<CRSSChannel>>;

std::vector<CRSSChannel*> Pointers(const Channels& channels) {
    std::vector<CRSSChannel*> result;
    for (const auto& c : channels)
        result.push_back(c.get());
    return result;
}

std::string Outline(const std::string& attributes) {
    return "\t\t<outline " + attributes + "/>\r\n";
}

// A channel list file with the given outline lines (and optional extra body lines).
std::string ListFile(const std::string& outlines, const std::string& headTitle = "My list") {
    return "<opml version=\"1.1\">\r\n\t<head>\r\n\t\t<title>" + headTitle + "</title>\r\n\t</head>\r\n\t<body>\r\n" +
           outlines + "\t</body>\r\n</opml>\r\n";
}

class ChannelListTest : public ::testing::Test {
protected:
    win32::ComInit com;
    TempFolder cache{L"cache"};
    std::wstring listPath() const { return cache / L"channels.opml"; }

    Channels Load(news::ChannelListHeader* header = nullptr, bool* ok = nullptr) {
        news::ChannelListHeader h;
        Channels channels;
        bool loaded = news::LoadChannelList(h, cache.path(), channels);
        if (header)
            *header = h;
        if (ok)
            *ok = loaded;
        return channels;
    }
    std::string FileText() { return WithoutCr(ReadFile(listPath()).value_or("")); }
};

TEST_F(ChannelListTest, FirstAppendWritesANewFileInTheExactLayout) {
    CRSSChannel channel;
    channel.xmlUrl = L"http://town.example.invalid/rss";
    channel.text = channel.title = L"Town & Crier";
    EXPECT_EQ(news::AppendChannel(cache.path(), channel), 1);
    EXPECT_EQ(FileText(), "<opml version=\"1.0\">\n\t<head>\n\t\t<title>Skylume RSS channels</title>\n\t</head>\n"
                          "\t<body>\n\t\t<outline text=\"Town &amp; Crier\" type=\"rss\" "
                          "xmlUrl=\"http://town.example.invalid/rss\" description=\"\" title=\"Town &amp; Crier\"/>\n"
                          "\t</body>\n</opml>\n");

    EXPECT_EQ(news::AppendChannel(cache.path(), channel), 0);
    channel.xmlUrl = L"http://other.example.invalid/rss";
    EXPECT_EQ(news::AppendChannel(cache.path(), channel), 1);
    int count = -1;
    EXPECT_EQ(news::FindChannel(cache.path(), L"http://other.example.invalid/rss", count), 1);
    EXPECT_EQ(count, 2);
}

TEST_F(ChannelListTest, AppendReplacesADamagedFileAndOneWithoutBody) {
    CRSSChannel channel;
    channel.xmlUrl = L"http://a.example.invalid/";
    for (std::string damaged : {std::string("<opml version=\"1.0\"><head>"), std::string("<opml version=\"2\"/>")}) {
        ASSERT_TRUE(WriteFile(listPath(), damaged));
        EXPECT_EQ(news::AppendChannel(cache.path(), channel), 1);
        Channels loaded = Load();
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(loaded[0]->xmlUrl, channel.xmlUrl);
    }
}

TEST_F(ChannelListTest, FindChannelComparesUrlsExactlyAndCountsOnlyLoadedFiles) {
    int count = 7;
    EXPECT_EQ(news::FindChannel(cache.path(), L"http://a.example.invalid/", count), 0);
    EXPECT_EQ(count, 7); // no file: untouched
    ASSERT_TRUE(
        WriteFile(listPath(), ListFile(Outline("text=\"A\" type=\"rss\" xmlUrl=\"http://a.example.invalid/Feed\"") +
                                       Outline("text=\"B\" type=\"atom\" xmlUrl=\"http://b.example.invalid/\""))));
    EXPECT_EQ(news::FindChannel(cache.path(), L"http://a.example.invalid/feed", count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(news::FindChannel(cache.path(), L"http://a.example.invalid/Feed", count), 1);
    EXPECT_EQ(news::FindChannel(cache.path(), L"http://a\".example.invalid/", count), 0);
}

TEST_F(ChannelListTest, OutlinesLoadByTypeUrlAndNameRules) {
    ASSERT_TRUE(WriteFile(
        listPath(),
        ListFile(Outline("text=\"upper\" type=\"RSS\" xmlUrl=\"http://1.example.invalid/\"") +
                 Outline("text=\"lower\" type=\"rss\" xmlUrl=\"http://2.example.invalid/\"") +
                 Outline("text=\"mixed\" type=\"rSs\" xmlUrl=\"http://3.example.invalid/\"") +
                 Outline("text=\"atom\" type=\"atom\" xmlUrl=\"http://4.example.invalid/\"") +
                 Outline("text=\"no type\" xmlUrl=\"http://5.example.invalid/\"") +
                 Outline("text=\"empty url\" type=\"rss\" xmlUrl=\"\"") + Outline("text=\"no url\" type=\"rss\"") +
                 Outline("text=\"hash\" type=\"rss\" xmlUrl=\"http://6.example.invalid/#top\"") +
                 Outline("text=\"space\" type=\"rss\" xmlUrl=\"http://7.example.invalid/a b\"") +
                 Outline("text=\"not a url\" type=\"rss\" xmlUrl=\"plainword\"") +
                 Outline("text=\"\" title=\"Only title\" type=\"rss\" xmlUrl=\"http://8.example.invalid/\"") +
                 Outline("text=\"Only text\" title=\"\" type=\"rss\" xmlUrl=\"http://9.example.invalid/\""))));
    news::ChannelListHeader header;
    Channels channels = Load(&header);
    std::vector<std::wstring> texts;
    for (const auto& c : channels)
        texts.push_back(c->text);
    EXPECT_EQ(texts,
              (std::vector<std::wstring>{L"upper", L"lower", L"mixed", L"empty url", L"Only title", L"Only text"}));
    EXPECT_EQ(channels[4]->title, L"Only title");
    EXPECT_EQ(channels[5]->title, L"Only text");
    EXPECT_EQ(channels[3]->GetDisplayName(), L"empty url");
    EXPECT_EQ(header.title, L"My list");
    EXPECT_EQ(header.version, L"1.1");
}

TEST_F(ChannelListTest, SixtyOutlinesLoadFiftyTheOthersBecomeGarbageAndHeaderlessFilesLoadNone) {
    std::string outlines;
    for (int i = 0; i < 60; ++i)
        outlines += Outline("text=\"C" + std::to_string(i) + "\" type=\"rss\" cachePath=\"C:\\cache\\c" +
                            std::to_string(i) + "\" xmlUrl=\"http://c" + std::to_string(i) + ".example.invalid/\"");
    ASSERT_TRUE(WriteFile(listPath(), ListFile(outlines)));
    news::ChannelListHeader header;
    Channels channels = Load(&header);
    ASSERT_EQ(channels.size(), 50u);
    EXPECT_EQ(channels[49]->text, L"C49");
    ASSERT_TRUE(news::SaveChannelList(header, cache.path(), Pointers(channels)));
    const std::string saved = FileText();
    std::string garbage;
    for (int i = 50; i < 60; ++i)
        garbage += "\t\t<garbage>C:\\cache\\c" + std::to_string(i) + "</garbage>\n";
    EXPECT_NE(saved.find(garbage), std::string::npos) << saved;
    EXPECT_EQ(saved.find("<garbage>C:\\cache\\c49<"), std::string::npos);
    EXPECT_EQ(Load().size(), 50u);

    bool ok = true;
    ASSERT_TRUE(WriteFile(listPath(), "<opml><head><title>t</title></head><body>" +
                                          Outline("text=\"x\" type=\"rss\" xmlUrl=\"\"") + "</body></opml>"));
    EXPECT_TRUE(Load(nullptr, &ok).empty());
    EXPECT_FALSE(ok);
    ASSERT_TRUE(WriteFile(listPath(), "<opml version=\"1.0\"><body>" + Outline("text=\"x\" type=\"rss\" xmlUrl=\"\"") +
                                          "</body></opml>"));
    EXPECT_TRUE(Load(nullptr, &ok).empty());
    EXPECT_FALSE(ok);
    ::DeleteFileW(listPath().c_str());
    EXPECT_TRUE(Load(&header, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(header.title, L"Skylume RSS channels");
    EXPECT_EQ(header.version, L"1.0");
}

TEST_F(ChannelListTest, RemovedChannelsLeaveGarbageThatLaterSavesKeep) {
    ASSERT_TRUE(WriteFile(
        listPath(), ListFile(Outline("text=\"A\" type=\"rss\" cachePath=\"C:\\cache\\a\" cacheSize=\"10\" "
                                     "xmlUrl=\"http://a.example.invalid/\" htmlUrl=\"http://a.example.invalid/home\" "
                                     "description=\"About A\" title=\"A\"") +
                             Outline("text=\"B\" type=\"rss\" cachePath=\"C:\\cache\\b\" cacheSize=\"20\" "
                                     "xmlUrl=\"http://b.example.invalid/\" description=\"About B\" title=\"My B\"") +
                             "\t\t<garbage>C:\\cache\\old</garbage>\r\n")));
    news::ChannelListHeader header;
    Channels channels = Load(&header);
    ASSERT_EQ(channels.size(), 2u);
    channels.erase(channels.begin()); // A removed
    ASSERT_TRUE(news::SaveChannelList(header, cache.path(), Pointers(channels)));
    const std::string expected =
        "<opml version=\"1.1\">\n\t<head>\n\t\t<title>My list</title>\n\t</head>\n\t<body>\n"
        "\t\t<outline text=\"B\" type=\"rss\" cachePath=\"C:\\cache\\b\" cacheSize=\"20\" "
        "xmlUrl=\"http://b.example.invalid/\" description=\"About B\" title=\"My B\"/>\n"
        "\t\t<garbage>C:\\cache\\a</garbage>\n\t\t<garbage>C:\\cache\\old</garbage>\n\t</body>\n</opml>\n";
    EXPECT_EQ(FileText(), expected);
    // A second save of the same list writes the same file: garbage survives, nothing is added twice.
    Channels again = Load(&header);
    ASSERT_TRUE(news::SaveChannelList(header, cache.path(), Pointers(again)));
    EXPECT_EQ(FileText(), expected);
}

TEST_F(ChannelListTest, AChannelAddedBackGetsItsOldCacheFields) {
    ASSERT_TRUE(WriteFile(
        listPath(), ListFile(Outline("text=\"Feed title\" type=\"rss\" cachePath=\"C:\\cache\\a\" cacheSize=\"10\" "
                                     "xmlUrl=\"http://a.example.invalid/\" htmlUrl=\"http://a.example.invalid/h\" "
                                     "description=\"About A\" title=\"Renamed\""))));
    news::ChannelListHeader header;
    Load(&header);
    Channels channels;
    channels.push_back(std::make_unique<CRSSChannel>());
    channels[0]->xmlUrl = L"http://a.example.invalid/";
    channels[0]->text = channels[0]->title = L"Fresh title";
    ASSERT_TRUE(news::SaveChannelList(header, cache.path(), Pointers(channels)));
    EXPECT_EQ(channels[0]->cachePath, L"C:\\cache\\a");
    EXPECT_EQ(channels[0]->cacheSize, L"10");
    EXPECT_EQ(channels[0]->htmlUrl, L"http://a.example.invalid/h");
    EXPECT_EQ(channels[0]->description, L"About A");
    EXPECT_EQ(channels[0]->text, L"Feed title");
    EXPECT_EQ(channels[0]->title, L"Fresh title");
    EXPECT_EQ(FileText().find("garbage"), std::string::npos);
}

TEST(UrlTextTest, OnlyTheAllowedAsciiCharactersPass) {
    EXPECT_TRUE(news::IsValidUrlText(L""));
    EXPECT_TRUE(news::IsValidUrlText(L"http://a.example.invalid/x?y=1&z=%20;$,-_.!~*'()+@:"));
    for (const wchar_t* bad : {L"http://a b/", L"http://a/#x", L"http://a/\"", L"http://\u00e9/", L"http://a/<"})
        EXPECT_FALSE(news::IsValidUrlText(bad)) << bad;
}

class AdditionalFeedsTest : public ::testing::Test {
protected:
    AdditionalFeedsTest() { shell::ResetModulesFolderCache(); }
    ~AdditionalFeedsTest() override { shell::ResetModulesFolderCache(); }
    IsolatedFolders folders;
    std::wstring path() const { return news::AdditionalFeedsPath(); }
};

std::string Pairs(uint32_t count, std::initializer_list<std::wstring> texts) {
    shell::BinaryWriter writer;
    writer.PutUint32(count);
    for (const auto& text : texts)
        writer.PutString(text);
    return writer.bytes();
}

TEST_F(AdditionalFeedsTest, TwoPairsAreTakenAndTheFileDeleted) {
    ASSERT_TRUE(WriteFile(path(), Pairs(2, {L"http://a/", L"A", L"http://b/", L"B"})));
    std::vector<std::wstring> urls, titles;
    EXPECT_TRUE(news::TakeAdditionalFeeds(urls, titles));
    EXPECT_EQ(urls, (std::vector<std::wstring>{L"http://a/", L"http://b/"}));
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_FALSE(FileExists(path()));
    EXPECT_FALSE(news::TakeAdditionalFeeds(urls, titles));
}

TEST_F(AdditionalFeedsTest, ReadingStopsAtABadLengthAndKeepsTheFile) {
    std::string bytes = Pairs(2, {L"http://a/", L"A", L"http://b/"});
    bytes += std::string("\x09\x00\x00\x00", 4) + std::string("B\0", 2); // claims 9 units, has 1
    ASSERT_TRUE(WriteFile(path(), bytes));
    std::vector<std::wstring> urls, titles;
    EXPECT_FALSE(news::TakeAdditionalFeeds(urls, titles));
    EXPECT_EQ(urls, std::vector<std::wstring>{L"http://a/"});
    EXPECT_EQ(titles, std::vector<std::wstring>{L"A"});
    EXPECT_TRUE(FileExists(path()));
}

TEST_F(AdditionalFeedsTest, AddingAppendsAndADamagedFileIsReplacedByTheNewPair) {
    news::AddAdditionalFeed(L"http://a/", L"A");
    news::AddAdditionalFeed(L"http://b/", L"\u65e5\u672c");
    EXPECT_EQ(ReadFile(path()), Pairs(2, {L"http://a/", L"A", L"http://b/", L"\u65e5\u672c"}));
    ASSERT_TRUE(WriteFile(path(), std::string("\x05\x00\x00\x00\x01", 5)));
    news::AddAdditionalFeed(L"http://c/", L"C");
    EXPECT_EQ(ReadFile(path()), Pairs(1, {L"http://c/", L"C"}));
    news::DeleteAdditionalFeeds();
    EXPECT_FALSE(FileExists(path()));
}

class ChannelListProcessesTest : public ChannelListTest {
protected:
    std::wstring appender = FolderOfThisExecutable() + L"\\channel_append.exe";
    static std::wstring Url(int i) { return L"http://site" + std::to_wstring(i) + L".example.invalid/rss"; }
    std::vector<std::wstring> Urls() {
        std::vector<std::wstring> urls;
        for (const auto& c : Load())
            urls.push_back(c->xmlUrl);
        return urls;
    }
};

TEST_F(ChannelListProcessesTest, TwentyProcessesAllLandOnceWhileAReaderOnlySeesWholeFiles) {
    std::atomic<bool> done{false};
    std::atomic<int> reads{0}, brokenReads{0};
    // Reads as the display program does, under the channel-list mutex, until the appenders have finished.
    std::thread reader([&] {
        win32::ComInit readerCom;
        while (!done) {
            {
                news::ScopedNamedMutex lock(news::kChannelListMutex);
                if (FileExists(listPath())) {
                    xmldata::XmlDocument doc;
                    ++reads;
                    if (!doc.Load(listPath()) || !doc.SelectNode(L"/opml/body", doc.DocumentNode()))
                        ++brokenReads;
                }
            }
            ::Sleep(1);
        }
    });
    std::vector<std::unique_ptr<RunningProcess>> processes;
    for (int i = 0; i < 20; ++i)
        processes.push_back(
            std::make_unique<RunningProcess>(appender, std::vector<std::wstring>{cache.path(), Url(i)}));
    for (auto& process : processes)
        EXPECT_EQ(process->Wait(60000), 0u);
    done = true;
    reader.join();

    std::vector<std::wstring> urls = Urls(), expected;
    for (int i = 0; i < 20; ++i)
        expected.push_back(Url(i));
    std::sort(urls.begin(), urls.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(urls, expected);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(brokenReads.load(), 0);
}

// The channel list every new user gets holds no made-up sites (example domains that serve no feed).
TEST(ShippedChannelList, HoldsNoExampleSites) {
    win32::ComInit com;
    int count = -1;
    EXPECT_EQ(news::FindChannel(SourceFile(L"data/common/Modules/RSS/Cache"), L"", count), 0);
    EXPECT_EQ(count, 0) << "the shipped list loads and names no channel";
}

} // namespace

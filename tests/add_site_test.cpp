// ADDRSS runs of the real program, started as the browser's script starts it, against the local feed server.
#include "feed_server.h"
#include "pages/news/add_site.h"
#include "pages/news/channel_list.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace testenv;

namespace {

constexpr wchar_t kAdded[] = L"The RSS feed was added to Skylume.";
constexpr wchar_t kAlready[] = L"This RSS feed is already in the list.";
constexpr wchar_t kFifty[] = L"50 RSS feeds are already in the list, so no more can be added.";
constexpr wchar_t kNotAFeed[] = L"This address is not an RSS feed, so it cannot be added to Skylume.";
constexpr wchar_t kNoAnswer[] = L"The feed could not be retrieved, so it cannot be added to Skylume.";
constexpr wchar_t kFailed[] = L"The RSS feed could not be added to Skylume.";

class AddRssRunTest : public ::testing::Test {
protected:
    AddRssRunTest() {
        ::CopyFileW(SourceFile(L"data/program/feed2cache.xslt").c_str(), (program / L"feed2cache.xslt").c_str(), FALSE);
        MakeFolders(cache());
    }
    win32::ComInit com;
    IsolatedFolders folders;
    ProgramFolder program;
    FeedServer server{SourceFile(L"tests/fixtures/feeds")};
    DisplayMonitor monitor;

    std::wstring cache() const { return folders.userModules() + L"\\RSS\\Cache"; }
    std::wstring listPath() const { return cache() + L"\\channels.opml"; }
    std::wstring arfPath() const { return folders.userModules() + L"\\RSS\\arf.dat"; }

    std::unique_ptr<RunningProcess> Start(const std::wstring& url) {
        return std::make_unique<RunningProcess>(program.exe(), std::vector<std::wstring>{L"-addrss", url});
    }
    // The outcome message of a run: its text, after pressing OK; the run must then end.
    std::wstring Outcome(RunningProcess& run) {
        const std::wstring text = AnswerMessageBox(WaitForWindow(run.id(), L"#32770", 30000), IDOK);
        EXPECT_TRUE(run.Wait(10000).has_value());
        return text;
    }
    std::wstring Run(const std::wstring& url) { return Outcome(*Start(url)); }
    std::vector<std::wstring> Urls() {
        news::ChannelListHeader header;
        std::vector<std::unique_ptr<CRSSChannel>> channels;
        news::LoadChannelList(header, cache(), channels);
        std::vector<std::wstring> urls;
        for (const auto& c : channels)
            urls.push_back(c->xmlUrl);
        return urls;
    }
    int ScratchFiles() const { return int(FileSizes(folders.userModules() + L"\\RSS\\tmp*.tmp").size()); }
};

TEST_F(AddRssRunTest, AFeedIsAppendedRecordedAndAnnounced) {
    const std::wstring url = server.Url(L"/feeds/rss20.xml");
    EXPECT_EQ(Run(url), kAdded);
    news::ChannelListHeader header;
    std::vector<std::unique_ptr<CRSSChannel>> channels;
    ASSERT_TRUE(news::LoadChannelList(header, cache(), channels));
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_EQ(channels[0]->xmlUrl, url);
    EXPECT_EQ(channels[0]->title, L"Town Crier 2.0");
    EXPECT_EQ(channels[0]->text, L"Town Crier 2.0");
    std::optional<std::string> arf = ReadFile(arfPath());
    ASSERT_TRUE(arf);
    EXPECT_EQ(arf->substr(0, 4), std::string("\x01\x00\x00\x00", 4));
    EXPECT_NE(monitor.Codes().find("0xABE0000F"), std::string::npos);
}

TEST_F(AddRssRunTest, KnownUrlsAndFullListsAreRefusedWithoutARequest) {
    CRSSChannel channel;
    channel.xmlUrl = server.Url(L"/feeds/rss20.xml");
    ASSERT_EQ(news::AppendChannel(cache(), channel), 1);
    EXPECT_EQ(Run(channel.xmlUrl), kAlready);
    for (int i = 1; i < 50; ++i) {
        channel.xmlUrl = L"http://site" + std::to_wstring(i) + L".example.invalid/rss";
        ASSERT_EQ(news::AppendChannel(cache(), channel), 1);
    }
    const std::optional<std::string> before = ReadFile(listPath());
    EXPECT_EQ(Run(server.Url(L"/feeds/atom10.xml")), kFifty);
    EXPECT_EQ(ReadFile(listPath()), before);
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_FALSE(FileExists(arfPath()));
}

TEST_F(AddRssRunTest, FailedChecksShowTheirMessageAndChangeNothing) {
    EXPECT_EQ(Run(server.Url(L"/feeds/page.xhtml")), kNotAFeed);
    EXPECT_EQ(Run(server.Url(L"/status/404")), kNoAnswer);
    EXPECT_FALSE(FileExists(listPath()));
    EXPECT_FALSE(FileExists(arfPath()));
}

TEST_F(AddRssRunTest, AnAddressTheListCannotHoldIsRefusedBeforeAnyRequest) {
    // A "#" passes as a URL but the channel list would drop the site at its next load.
    for (const std::wstring& url : {server.Url(L"/feeds/rss20.xml#latest"), std::wstring(32000, L'h')})
        EXPECT_EQ(Run(url), kFailed);
    EXPECT_FALSE(FileExists(listPath()));
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(AddRssRunTest, AFailedSaveOfTheListIsReportedAndNothingIsRecordedOrAnnounced) {
    // A file where the Cache folder belongs: the list cannot be written.
    ::RemoveDirectoryW(cache().c_str());
    ASSERT_TRUE(WriteFile(cache(), "not a folder"));
    EXPECT_EQ(Run(server.Url(L"/feeds/rss20.xml")), kFailed);
    EXPECT_EQ(server.RequestsFor("/feeds/rss20.xml"), 1);
    EXPECT_FALSE(FileExists(arfPath()));
    EXPECT_EQ(monitor.Codes().find("0xABE0000F"), std::string::npos);
}

TEST_F(AddRssRunTest, RunsAgainstServersThatStopAnsweringEndAtTheirDeadlineAndTheNextRunGoesOn) {
    // The product's deadline is kAddRssDeadlineMs (90 s); the runs started here inherit a shorter one.
    constexpr DWORD kDeadlineMs = 3000;
    ::SetEnvironmentVariableW(news::kAddRssDeadlineVariable, std::to_wstring(kDeadlineMs).c_str());
    const DWORD start = ::GetTickCount();
    auto silent = Start(server.Url(L"/slow.xml"));
    for (int i = 0; i < 200 && server.RequestsFor("/slow.xml") == 0; ++i)
        ::Sleep(50);
    auto stalled = Start(server.Url(L"/stall.xml"));
    auto next = Start(server.Url(L"/feeds/rss20.xml"));
    ::SetEnvironmentVariableW(news::kAddRssDeadlineVariable, nullptr);
    EXPECT_EQ(Outcome(*silent), kNoAnswer);
    EXPECT_LT(::GetTickCount() - start, kDeadlineMs + 5000);
    EXPECT_EQ(Outcome(*stalled), kNoAnswer);
    EXPECT_EQ(Outcome(*next), kAdded);
    EXPECT_EQ(Urls(), std::vector<std::wstring>{server.Url(L"/feeds/rss20.xml")});
}

TEST_F(AddRssRunTest, TenParallelRunsForTenFeedsRegisterEachOnce) {
    std::vector<std::unique_ptr<RunningProcess>> runs;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 10; ++i) {
        expected.push_back(server.Url(L"/feeds/rss20.xml?feed=" + std::to_wstring(i)));
        runs.push_back(Start(expected.back()));
    }
    for (auto& run : runs)
        EXPECT_EQ(Outcome(*run), kAdded);
    std::vector<std::wstring> urls = Urls();
    std::sort(urls.begin(), urls.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(urls, expected);
}

TEST_F(AddRssRunTest, FiveParallelRunsForOneFeedRegisterItOnce) {
    const std::wstring url = server.Url(L"/feeds/atom10.xml");
    std::vector<std::unique_ptr<RunningProcess>> runs;
    for (int i = 0; i < 5; ++i)
        runs.push_back(Start(url));
    std::vector<std::wstring> outcomes;
    for (auto& run : runs)
        outcomes.push_back(Outcome(*run));
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), std::wstring(kAdded)), 1);
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), std::wstring(kAlready)), 4);
    EXPECT_EQ(Urls(), std::vector<std::wstring>{url});
    EXPECT_EQ(server.RequestsFor("/feeds/atom10.xml"), 1);
}

TEST_F(AddRssRunTest, ARunKilledDuringItsDownloadLeavesBothFilesAndTheNextRunCleansUpAndWorks) {
    CRSSChannel channel;
    channel.xmlUrl = L"http://first.example.invalid/rss";
    ASSERT_EQ(news::AppendChannel(cache(), channel), 1);
    const std::optional<std::string> before = ReadFile(listPath());
    auto run = Start(server.Url(L"/stall.xml"));
    for (int i = 0; i < 200 && ScratchFiles() == 0; ++i)
        ::Sleep(50);
    ASSERT_EQ(ScratchFiles(), 1) << "the download under way has its scratch file";
    ::TerminateProcess(run->handle(), 1);
    run->Wait(5000);
    EXPECT_EQ(ReadFile(listPath()), before);
    EXPECT_FALSE(FileExists(arfPath()));
    EXPECT_EQ(ScratchFiles(), 1);
    // The killed run's add-site mutex is abandoned; the next run owns it, removes the leftover and goes on.
    EXPECT_EQ(Run(server.Url(L"/feeds/rss10.xml")), kAdded);
    EXPECT_EQ(Urls().size(), 2u);
    EXPECT_EQ(ScratchFiles(), 0);
}

} // namespace

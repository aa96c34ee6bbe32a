// The feed check against the local feed server: result codes, dialects and encodings through the stylesheet,
// cancellation, the per-server session limit and the clean-up of scratch files.
#include "feed_server.h"
#include "pages/news/feed_check.h"
#include "shell/folders.h"
#include "test_env.h"
#include "win32/com.h"
#include "win32/handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace testenv;

namespace {

class FeedCheckTest : public ::testing::Test {
protected:
    FeedCheckTest() { shell::ResetModulesFolderCache(); }
    ~FeedCheckTest() override {
        EXPECT_EQ(TemporaryFiles(), 0) << "a temporary download file was left behind";
        shell::ResetModulesFolderCache();
    }
    IsolatedFolders folders;
    win32::ComInit com;
    FeedServer server{SourceFile(L"tests/fixtures/feeds")};

    int Check(const std::wstring& url, std::wstring* title = nullptr) {
        news::CancelFlag cancel{0};
        std::wstring result = L"(unset)";
        int code = news::CheckFeed(cancel, url, result);
        if (title)
            *title = result;
        return code;
    }
    int TemporaryFiles() { return int(FileSizes(folders.userModules() + L"\\RSS\\tmp*").size()); }
};

TEST_F(FeedCheckTest, EveryDialectAndEncodingGivesItsExactTitle) {
    ASSERT_TRUE(server.running());
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"rss090.xml", L"Harbour Bulletin 0.90"},
        {L"rss091.xml", L"Village Notes 0.91"},
        {L"rss092.xml", L"Radio Hour 0.92"},
        {L"rss10.xml", L"Library Shelf 1.0"},
        {L"rss10-prefixed.xml", L"Garden Diary (prefixed 1.0)"},
        {L"rss20.xml", L"Town Crier 2.0"},
        {L"atom03.xml", L"Workshop Log (Atom 0.3)"},
        {L"atom10.xml", L"Observatory (Atom 1.0)"},
        {L"atom10-prefixed.xml", L"Bakery (prefixed Atom)"},
        {L"cafe.latin1.xml", L"Caf\u00e9 Se\u00f1or \u00d1and\u00fa Latin-1"},
        {L"quotes.cp1252.xml", L"\u201cSmart\u201d quotes \u2013 5 \u20ac each"},
        {L"wide.utf16.xml", L"UTF-16 \u5929\u6c17\u4e88\u5831"},
        {L"cdata.xml", L"Tom & Jerry <Weekly>"},
        {L"entities.xml", L"Fish & Chips <Daily> \u00e9dition \u263a"},
        {L"japanese.xml", L"\u4eca\u65e5\u306e\u30cb\u30e5\u30fc\u30b9\u901f\u5831"},
        {L"bom.xml", L"Marked Morning"},
        {L"japanese.sjis.xml", L"\u5730\u57df\u30cb\u30e5\u30fc\u30b9\uff08\u30b7\u30d5\u30c8JIS\uff09"},
        {L"japanese.eucjp.xml", L"\u5929\u6c17\u4e88\u5831\uff08EUC-JP\uff09"},
        {L"rss091-doctype.xml", L"Parish Newsletter 0.91"},
    };
    for (const auto& [file, expected] : cases) {
        std::wstring title;
        EXPECT_EQ(Check(server.Url(L"/feeds/") + file, &title), news::kFeedOk) << file;
        EXPECT_EQ(title, expected) << file;
    }
}

TEST_F(FeedCheckTest, DocumentsThatAreNotFeedsGiveNoTitle) {
    for (const wchar_t* file : {L"page.html", L"page.xhtml", L"list.opml", L"catalog.xml", L"channelless.xml"}) {
        std::wstring title;
        EXPECT_EQ(Check(server.Url(L"/feeds/") + file, &title), news::kFeedNotAFeed) << file;
        EXPECT_EQ(title, L"(unset)") << file;
    }
}

TEST_F(FeedCheckTest, ServerAnswersMapToTheirCodes) {
    std::wstring title;
    EXPECT_EQ(Check(server.Url(L"/redirect/3"), &title), news::kFeedOk);
    EXPECT_EQ(title, L"Town Crier 2.0");
    EXPECT_EQ(server.RequestsFor("/redirect/0"), 1);
    EXPECT_EQ(Check(server.Url(L"/other-host"), &title), news::kFeedOk);
    EXPECT_EQ(title, L"Town Crier 2.0");
    for (const wchar_t* status : {L"/status/401", L"/status/404", L"/status/500"})
        EXPECT_EQ(Check(server.Url(status)), news::kFeedNoAnswer) << status;
    EXPECT_EQ(server.RequestsFor("/status/401"), 2) << "a 401 is sent once more, with empty credentials";
    EXPECT_EQ(Check(server.Url(L"/trickle.xml"), &title), news::kFeedOk);
    EXPECT_EQ(title, L"Trickled feed");
    EXPECT_EQ(Check(server.Url(L"/big.xml"), &title), news::kFeedOk);
    EXPECT_EQ(title, L"Big feed");
}

TEST_F(FeedCheckTest, UrlsOutsideHttpAndFtpAreRefusedBeforeAnyRequest) {
    const std::wstring local = folders.appData() + L"\\feed.xml";
    ASSERT_TRUE(WriteFile(local, "<rss version=\"2.0\"><channel><title>Local</title></channel></rss>"));
    for (const std::wstring& url : {L"file:///" + local, std::wstring(L"mailto:news@example.invalid"),
                                    std::wstring(L"gopher://127.0.0.1:" + std::to_wstring(server.port()) + L"/")})
        EXPECT_EQ(Check(url), news::kFeedFailed) << url;
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(FeedCheckTest, AMissingStylesheetFailsAfterTheDownload) {
    const std::wstring stylesheet = shell::GetProgramFilePath(news::kFeedStylesheetName);
    const std::wstring hidden = stylesheet + L".hidden";
    ASSERT_TRUE(::MoveFileW(stylesheet.c_str(), hidden.c_str()));
    int code = Check(server.Url(L"/feeds/rss20.xml"));
    ::MoveFileW(hidden.c_str(), stylesheet.c_str());
    EXPECT_EQ(code, news::kFeedFailed);
    EXPECT_EQ(server.RequestsFor("/feeds/rss20.xml"), 1);
}

TEST_F(FeedCheckTest, CancellingASlowDownloadEndsWithinAboutASecond) {
    news::CancelFlag cancel{0};
    int code = -1;
    std::chrono::steady_clock::time_point cancelledAt, endedAt;
    std::thread worker([&] {
        win32::ComInit workerCom;
        std::wstring title;
        code = news::CheckFeed(cancel, server.Url(L"/slow.xml"), title);
        endedAt = std::chrono::steady_clock::now();
    });
    for (int i = 0; i < 100 && server.RequestsFor("/slow.xml") == 0; ++i)
        ::Sleep(50);
    ::Sleep(500);
    cancelledAt = std::chrono::steady_clock::now();
    cancel = 1;
    worker.join();
    EXPECT_TRUE(code == news::kFeedCancelled || code == news::kFeedNotConnected) << code;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(endedAt - cancelledAt).count(), 1600);
}

TEST_F(FeedCheckTest, EightChecksAgainstOneServerNeverHoldMoreThanFourSessions) {
    constexpr int kChecks = 8;
    std::vector<int> codes(kChecks, -1);
    std::atomic<int> running{kChecks};
    std::vector<std::thread> workers;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kChecks; ++i)
        workers.emplace_back([&, i] {
            win32::ComInit workerCom;
            news::CancelFlag cancel{0};
            std::wstring title;
            codes[i] = news::CheckFeed(cancel, server.Url(L"/delay/1500/feeds/rss20.xml"), title);
            --running;
        });
    // Four waiters race for every slot that comes free; the count never passes four.
    int mostSessions = 0;
    while (running > 0) {
        mostSessions = std::max(mostSessions, news::OpenSessionsOf(L"127.0.0.1", INTERNET_SCHEME_HTTPS));
        ::Sleep(2);
    }
    for (auto& worker : workers)
        worker.join();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(codes, std::vector<int>(kChecks, news::kFeedOk));
    EXPECT_EQ(mostSessions, 4); // HTTPS shares the HTTP entry
    EXPECT_EQ(server.maxConcurrent(), 4);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 3000);
    EXPECT_EQ(news::OpenSessionsOf(L"127.0.0.1", INTERNET_SCHEME_HTTP), 0);
}

TEST_F(FeedCheckTest, ACheckRemovesScratchFilesLeftBehindButNotOnesInUse) {
    const std::wstring rss = folders.userModules() + L"\\RSS";
    MakeFolders(rss);
    ASSERT_TRUE(WriteFile(rss + L"\\tmpA1B2.tmp", "left by a run that was killed"));
    win32::FileHandle inUse(::CreateFileW((rss + L"\\tmpC3D4.tmp").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(inUse);
    EXPECT_EQ(Check(server.Url(L"/feeds/rss20.xml")), news::kFeedOk);
    EXPECT_FALSE(FileExists(rss + L"\\tmpA1B2.tmp"));
    EXPECT_TRUE(FileExists(rss + L"\\tmpC3D4.tmp"));
    inUse.reset();
    ::DeleteFileW((rss + L"\\tmpC3D4.tmp").c_str());
}

} // namespace

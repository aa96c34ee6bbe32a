// The news pages and the add-site dialog inside the real settings window, driven by messages from this process;
// feeds come from the local feed server.
#include "feed_server.h"
#include "pages/news/additional_feeds.h"
#include "pages/news/channel_list.h"
#include "pages/news/named_mutex.h"
#include "test_env.h"
#include "win32/com.h"
#include "win32/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace testenv;

namespace {

constexpr int kSiteList = 1001, kAdd = 1002, kDelete = 1003, kEdit = 1000, kImport = 1004, kUp = 1005, kDown = 1047;
constexpr int kNameEdit = 1017;
constexpr int kRefresh = 1018, kOpenUrl = 1049, kNewer = 1013, kAutoDownload = 1025, kSkip = 1027; // options page
constexpr int kPhotoList = 1001, kPhotoRemove = 1003, kPhotoDetails = 1004, kPhotoPreview = 1052;
constexpr wchar_t kAdded[] = L"The RSS feed was added to Skylume.";

class NewsPagesTest : public ::testing::Test {
protected:
    NewsPagesTest() {
        InstallShippedDefaults(folders);
        ::CopyFileW(SourceFile(L"data/program/feed2cache.xslt").c_str(), (program / L"feed2cache.xslt").c_str(), FALSE);
        MakeFolders(cache());
    }
    ~NewsPagesTest() override {
        if (process && window)
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    win32::ComInit com;
    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    FeedServer server{SourceFile(L"tests/fixtures/feeds")};
    DisplayMonitor monitor;
    std::unique_ptr<RunningProcess> process;
    HWND window = nullptr;
    HWND page = nullptr;

    std::wstring cache() const { return folders.userModules() + L"\\RSS\\Cache"; }
    std::wstring listPath() const { return cache() + L"\\channels.opml"; }
    std::wstring arfPath() const { return folders.userModules() + L"\\RSS\\arf.dat"; }
    void WriteRecordedSites(const news::FeedPairs& pairs) {
        ASSERT_TRUE(WriteFile(arfPath(), news::EncodeAdditionalFeeds(pairs)));
    }

    void WriteSites(int count) {
        ::DeleteFileW(listPath().c_str());
        if (count == 0) { // an empty list, or the window's start would copy the shipped one
            ASSERT_TRUE(WriteFile(listPath(), "<opml version=\"1.0\"><head><title>t</title></head><body/></opml>"));
        }
        for (int i = 0; i < count; ++i) {
            CRSSChannel channel;
            channel.xmlUrl = L"http://site" + std::to_wstring(i) + L".example.invalid/rss";
            channel.text = channel.title = L"Site " + std::to_wstring(i);
            ASSERT_EQ(news::AppendChannel(cache(), channel), 1);
        }
    }
    // Opens the settings window and finds the register page (the page with a Down button).
    void Open() {
        window = OpenSettingsWindow(program.exe(), process);
        ASSERT_TRUE(window);
        page = FindPage(window, {kDown, kSiteList});
        ASSERT_TRUE(page);
    }
    HWND List() const { return ::GetDlgItem(page, kSiteList); }
    int Count() const { return int(::SendMessageW(List(), LB_GETCOUNT, 0, 0)); }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }
    void Select(int index) {
        ::SendMessageW(List(), LB_SETCURSEL, WPARAM(index), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kSiteList, LBN_SELCHANGE), LPARAM(List()));
    }
    // A modal dialog or message box of the program other than the settings window.
    HWND WaitForPopup() { return WaitForWindow(process->id(), L"#32770", 20000); }
    std::wstring AnswerBox(int button = IDOK) { return AnswerMessageBox(WaitForPopup(), button); }
    // Opens the add-site dialog, types the URL and presses OK; the dialog.
    HWND StartCheck(const std::wstring& url) {
        ::PostMessageW(page, WM_COMMAND, kAdd, 0);
        HWND dialog = WaitForPopup();
        if (!dialog)
            return nullptr;
        ::SetDlgItemTextW(dialog, kNameEdit, url.c_str());
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return dialog;
    }
    // Presses Cancel in the add-site dialog; how long the dialog took to go (at most about three seconds).
    static DWORD CancelTime(HWND dialog) {
        const DWORD start = ::GetTickCount();
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        while (::IsWindow(dialog) && ::GetTickCount() - start < 3000)
            ::Sleep(5);
        return ::GetTickCount() - start;
    }
    // Whether the window's thread answers a message within half a second.
    static bool Responsive(HWND window) {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &answer) != 0;
    }
    // Types a URL into the add-site dialog and presses its OK; returns the outcome message.
    std::wstring AddThroughDialog(const std::wstring& url) {
        HWND dialog = StartCheck(url);
        if (!dialog)
            return L"(no dialog)";
        for (int i = 0; i < 400; ++i) {
            HWND box = WaitForPopup();
            if (box && box != dialog)
                break;
            ::Sleep(50);
        }
        return AnswerBox();
    }
    // Renames a site through its edit dialog; leading spaces vanish as they are typed.
    void Rename(int index, const std::wstring& typed) {
        Select(index);
        ::PostMessageW(page, WM_COMMAND, kEdit, 0);
        HWND dialog = WaitForPopup();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(::SendDlgItemMessageW(dialog, kNameEdit, EM_GETLIMITTEXT, 0, 0), 32);
        ::SetDlgItemTextW(dialog, kNameEdit, typed.c_str());
        wchar_t shown[64] = {};
        ::GetDlgItemTextW(dialog, kNameEdit, shown, 64);
        EXPECT_EQ(std::wstring(shown), typed.substr(typed.find_first_not_of(L" \u3000")));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
            ::Sleep(20);
    }
    // The size of the largest scratch file of a feed check in the RSS folder.
    size_t LargestScratchFile() const {
        const std::vector<size_t> sizes = FileSizes(folders.userModules() + L"\\RSS\\tmp*.tmp");
        return sizes.empty() ? 0 : *std::max_element(sizes.begin(), sizes.end());
    }
    // A photo list of one picture.
    void WritePhotoList(const TempFolder& photos) {
        const std::wstring picture = photos / L"p.jpg";
        ASSERT_TRUE(WriteFile(picture, "\xFF\xD8 picture"));
        MakeFolders(folders.userModules() + L"\\Photo");
        ASSERT_TRUE(WriteFile(folders.userModules() + L"\\Photo\\data.xml",
                              "<conf_data><main>" + PhotoLayouts("true", "10") + "<contents><file>" +
                                  win32::WideToUtf8(picture) + "</file></contents></main></conf_data>"));
    }
    // A message box of the program other than `dialog`.
    HWND WaitForBoxOver(HWND dialog) {
        return WaitForTopLevel(
            process->id(), [dialog](HWND box) { return box != dialog && ClassOf(box) == L"#32770"; }, 20000);
    }
    // Removes the first item of the photo page, so that OK saves the photo file too.
    void RemoveFirstPhoto() {
        HWND photoPage = FindPage(window, {kPhotoPreview, kPhotoDetails});
        ASSERT_TRUE(photoPage);
        HWND list = ::GetDlgItem(photoPage, kPhotoList);
        ASSERT_GT(::SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
        ::SendMessageW(list, LB_SETSEL, TRUE, 0);
        ::SendMessageW(photoPage, WM_COMMAND, MAKEWPARAM(kPhotoList, LBN_SELCHANGE), LPARAM(list));
        ::PostMessageW(photoPage, WM_COMMAND, kPhotoRemove, 0);
        AnswerBox(IDYES);
    }
    bool OptionsEnabled() const {
        return ::IsWindowEnabled(
            ::GetDlgItem(FindPage(window, {kRefresh, kOpenUrl, kNewer, kAutoDownload, kSkip}), kRefresh));
    }
    // OK on the settings window; the codes the display program heard.
    std::string PressOk() {
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(process->Wait(10000).has_value());
        window = nullptr;
        return monitor.Codes();
    }
};

std::vector<std::wstring> TitlesInFile(const std::wstring& cache) {
    news::ChannelListHeader header;
    std::vector<std::unique_ptr<CRSSChannel>> channels;
    news::LoadChannelList(header, cache, channels);
    std::vector<std::wstring> titles;
    for (const auto& c : channels)
        titles.push_back(c->title);
    return titles;
}

TEST_F(NewsPagesTest, ButtonsFollowTheSelectionAndTheFiftySiteLimit) {
    WriteSites(49);
    Open();
    EXPECT_EQ(Count(), 49);
    EXPECT_TRUE(Enabled(kAdd));
    EXPECT_TRUE(Enabled(kImport));
    Select(0);
    EXPECT_FALSE(Enabled(kUp));
    EXPECT_TRUE(Enabled(kDown));
    EXPECT_TRUE(Enabled(kDelete) && Enabled(kEdit));
    Select(48);
    EXPECT_TRUE(Enabled(kUp));
    EXPECT_FALSE(Enabled(kDown));

    Select(20);
    EXPECT_EQ(AddThroughDialog(server.Url(L"/feeds/rss20.xml")), kAdded);
    EXPECT_EQ(Count(), 50);
    EXPECT_FALSE(Enabled(kAdd));
    EXPECT_FALSE(Enabled(kImport));
    PressOk();
    std::vector<std::wstring> titles = TitlesInFile(cache());
    ASSERT_EQ(titles.size(), 50u);
    EXPECT_EQ(titles[20], L"Site 20");
    EXPECT_EQ(titles[21], L"Town Crier 2.0"); // right below the selected site
    EXPECT_EQ(titles[22], L"Site 21");
}

TEST_F(NewsPagesTest, TheAddDialogRefusesKnownAndForbiddenUrlsAndReportsFailures) {
    WriteSites(2);
    Open();
    // After each refusal the add dialog stays open with OK enabled again; Cancel then closes it.
    auto cancelAddDialog = [&] {
        HWND dialog = WaitForPopup();
        ASSERT_TRUE(dialog && ::GetDlgItem(dialog, kNameEdit));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)));
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
            ::Sleep(20);
    };
    EXPECT_EQ(AddThroughDialog(L"http://site1.example.invalid/rss"), L"This RSS feed is already in the list.");
    cancelAddDialog();
    EXPECT_EQ(AddThroughDialog(L"http://a b.example.invalid/"), L"The RSS feed could not be added to Skylume.");
    cancelAddDialog();
    EXPECT_EQ(AddThroughDialog(server.Url(L"/feeds/catalog.xml")),
              L"This address is not an RSS feed, so it cannot be added to Skylume.");
    cancelAddDialog();
    EXPECT_EQ(AddThroughDialog(server.Url(L"/status/500")),
              L"The feed could not be retrieved, so it cannot be added to Skylume.");
    cancelAddDialog();
    EXPECT_EQ(server.RequestsFor("/feeds/catalog.xml"), 1);
    EXPECT_EQ(server.requestCount(), 2); // the refused addresses made no request
    EXPECT_EQ(Count(), 2);
}

TEST_F(NewsPagesTest, TheAddDialogAnswersCancelWithinASecondWhateverItsCheckIsDoing) {
    WriteSites(1);
    Open();
    {
        // An ADDRSS run that hangs holds the add-site mutex; the check waits for it off the window's thread.
        news::ScopedNamedMutex addSite(news::kAddSiteMutex);
        HWND dialog = StartCheck(server.Url(L"/feeds/rss20.xml?waiting"));
        ASSERT_TRUE(dialog);
        ::Sleep(300);
        EXPECT_TRUE(Responsive(dialog));
        EXPECT_LT(CancelTime(dialog), 1000u) << "waiting for the add-site mutex";
    }
    HWND dialog = StartCheck(server.Url(L"/slow.xml"));
    ASSERT_TRUE(dialog);
    for (int i = 0; i < 200 && server.RequestsFor("/slow.xml") == 0; ++i)
        ::Sleep(20);
    EXPECT_LT(CancelTime(dialog), 1000u) << "downloading from a server that does not answer";
    dialog = StartCheck(server.Url(L"/big.xml"));
    ASSERT_TRUE(dialog);
    // The whole feed is in the scratch file: the check is past its download.
    for (int i = 0; i < 500 && LargestScratchFile() < FeedServer::BigFeed().size(); ++i)
        ::Sleep(10);
    EXPECT_LT(CancelTime(dialog), 1000u) << "transforming a large feed";
    ::Sleep(300);
    EXPECT_EQ(WaitForWindow(process->id(), L"#32770", 300), nullptr); // no outcome message
    EXPECT_EQ(server.RequestsFor("/feeds/rss20.xml?waiting"), 0);
    EXPECT_EQ(Count(), 1);
}

TEST_F(NewsPagesTest, ARestartedCheckReportsOnlyItsOwnOutcomeAndNeverBlocksTheDialog) {
    WriteSites(1);
    Open();
    HWND dialog = StartCheck(server.Url(L"/slow.xml"));
    ASSERT_TRUE(dialog);
    for (int i = 0; i < 200 && server.RequestsFor("/slow.xml") == 0; ++i)
        ::Sleep(20);
    // A new address makes OK available again; pressing it stops the first check and starts another.
    ::SetDlgItemTextW(dialog, kNameEdit, server.Url(L"/delay/2500/feeds/atom10.xml").c_str());
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 200 && server.RequestsFor("/delay/2500/feeds/atom10.xml") == 0; ++i)
        ::Sleep(20);
    ::Sleep(1200); // the first check has ended by now and its completion is in the dialog's queue
    EXPECT_TRUE(Responsive(dialog));
    EXPECT_TRUE(::IsWindow(dialog));
    EXPECT_EQ(AnswerMessageBox(WaitForBoxOver(dialog), IDOK), kAdded);
    for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
        ::Sleep(20);
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_EQ(Count(), 2);
}

TEST_F(NewsPagesTest, RenamingAndRenamingBackIsNoChange) {
    WriteSites(3);
    // Left by an ADDRSS run before the window opened; its site is in the file already.
    WriteRecordedSites({{L"http://site2.example.invalid/rss"}, {L"Site 2"}});
    Open();
    EXPECT_FALSE(FileExists(arfPath()));
    EXPECT_EQ(Count(), 3);
    Rename(1, L"  \u3000Renamed ");
    Rename(1, L"  \u3000Site 1");
    const std::optional<std::string> before = ReadFile(listPath());
    EXPECT_EQ(PressOk().find("0xABE00001"), std::string::npos);
    EXPECT_EQ(ReadFile(listPath()), before);
}

TEST_F(NewsPagesTest, ARenamedSiteIsSavedAtOk) {
    WriteSites(3);
    Open();
    Rename(2, L"My third site ");
    EXPECT_NE(PressOk().find("0xABE00001"), std::string::npos);
    EXPECT_EQ(TitlesInFile(cache()), (std::vector<std::wstring>{L"Site 0", L"Site 1", L"My third site "}));
}

TEST_F(NewsPagesTest, ASiteAddedByAnAddrssRunJoinsTheOpenListWithoutCountingAsAChange) {
    WriteSites(0);
    Open();
    EXPECT_FALSE(OptionsEnabled());
    RunningProcess run(program.exe(), {L"-addrss", server.Url(L"/feeds/atom10.xml")});
    HWND box = WaitForWindow(run.id(), L"#32770", 30000);
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageBoxText(box), L"The RSS feed was added to Skylume.");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    run.Wait(10000);
    for (int i = 0; i < 100 && !OptionsEnabled(); ++i)
        ::Sleep(50);
    EXPECT_TRUE(OptionsEnabled()) << "the options page hears of the merged site";
    EXPECT_EQ(Count(), 1);
    EXPECT_FALSE(FileExists(arfPath())); // taken by the open window
    const std::string codes = PressOk();
    EXPECT_EQ(codes.find("0xABE00001"), std::string::npos);
    EXPECT_EQ(TitlesInFile(cache()), std::vector<std::wstring>{L"Observatory (Atom 1.0)"});
}

TEST_F(NewsPagesTest, MergingSkipsSitesTheListHoldsAndStopsAtFifty) {
    WriteSites(48);
    Open();
    const std::wstring added = server.Url(L"/feeds/rss20.xml");
    EXPECT_EQ(AddThroughDialog(added), kAdded); // in the list, not yet saved
    WriteRecordedSites({{added, L"http://late.example.invalid/rss", L"http://later.example.invalid/rss"},
                        {L"Town Crier 2.0", L"Late", L"Later"}});
    ::PostMessageW(window, ::RegisterWindowMessageW(L"TesselCommonMessage0504190"), 0xABE0000F, 0);
    for (int i = 0; i < 100 && FileExists(arfPath()); ++i)
        ::Sleep(20);
    ::Sleep(200);
    EXPECT_EQ(Count(), 50);
    EXPECT_FALSE(Enabled(kAdd)) << "the buttons follow the merge";
    EXPECT_FALSE(Enabled(kImport));
    PressOk();
    std::vector<std::wstring> titles = TitlesInFile(cache());
    ASSERT_EQ(titles.size(), 50u);
    EXPECT_EQ(std::count(titles.begin(), titles.end(), L"Town Crier 2.0"), 1);
    EXPECT_EQ(titles.back(), L"Late");
}

TEST_F(NewsPagesTest, DeleteAndMovesKeepTheOrderAndTheMovedSiteInView) {
    WriteSites(40);
    Open();
    HWND list = List();
    RECT client = {};
    ::GetClientRect(list, &client);
    const int visible = int(client.bottom / ::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(visible, 1);
    ASSERT_LT(visible, 20);
    auto top = [&] { return int(::SendMessageW(list, LB_GETTOPINDEX, 0, 0)); };
    Select(0);
    for (int i = 0; i < 20; ++i)
        ::SendMessageW(page, WM_COMMAND, kDown, 0);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 20);
    EXPECT_EQ(top(), 20 - visible + 1) << "scrolled just far enough to show the moved site at the bottom";
    ::SendMessageW(list, LB_SETTOPINDEX, 39, 0);
    ASSERT_GT(top(), 19);
    ::SendMessageW(page, WM_COMMAND, kUp, 0);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 19);
    EXPECT_EQ(top(), 19) << "scrolled back to show it at the top";
    Select(5);
    ::PostMessageW(page, WM_COMMAND, kDelete, 0);
    EXPECT_NE(AnswerBox(IDNO), L"(no message box)");
    EXPECT_EQ(Count(), 40);
    ::PostMessageW(page, WM_COMMAND, kDelete, 0);
    AnswerBox(IDYES);
    EXPECT_EQ(Count(), 39);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_FALSE(Enabled(kDelete) || Enabled(kEdit) || Enabled(kUp) || Enabled(kDown));
    PressOk();
    std::vector<std::wstring> expected;
    for (int i : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 20})
        expected.push_back(L"Site " + std::to_wstring(i));
    for (int i = 21; i < 40; ++i)
        expected.push_back(L"Site " + std::to_wstring(i));
    EXPECT_EQ(TitlesInFile(cache()), expected);
}

// The window's OK and an ADDRSS run meet at many distances: the run's answer is released at each offset around
// OK while the window's save is held up for a while by the photo file (this test holds its mutex, as the display
// program does while it reads the file), with an edited news list waiting to be saved after it. The site the run
// announces is in channels.opml afterwards, and so is the user's change.
TEST_F(NewsPagesTest, ASiteAnnouncedAsRegisteredIsKeptWhenOkMeetsTheRun) {
    constexpr int kHoldMs = 1200;
    TempFolder photos{L"photos"};
    int gate = 0;
    for (int offset : {-400, 0, 250, 500, 800, 1100, 1600}) {
        SCOPED_TRACE("answer released " + std::to_string(offset) + " ms after OK");
        WriteSites(2);
        WritePhotoList(photos);
        Open();
        Rename(0, L"Renamed");
        RemoveFirstPhoto();
        const std::wstring path = L"/gate/" + std::to_wstring(++gate) + L"/feeds/rss20.xml";
        RunningProcess run(program.exe(), {L"-addrss", server.Url(path)});
        for (int i = 0; i < 200 && server.RequestsFor(std::string(path.begin(), path.end())) == 0; ++i)
            ::Sleep(20);
        {
            news::ScopedNamedMutex photoFile(L"Local\\PhotoDataFileTessel110008260");
            if (offset < 0) {
                server.OpenGates(gate);
                ::Sleep(DWORD(-offset));
            }
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
            const DWORD okAt = ::GetTickCount();
            auto sleepUntil = [okAt](int ms) {
                while (int(::GetTickCount() - okAt) < ms)
                    ::Sleep(5);
            };
            if (offset >= 0 && offset < kHoldMs) {
                sleepUntil(offset);
                server.OpenGates(gate);
            }
            sleepUntil(kHoldMs);
            photoFile.Release();
            sleepUntil(offset);
            server.OpenGates(gate);
        }
        EXPECT_EQ(AnswerMessageBox(WaitForWindow(run.id(), L"#32770", 20000), IDOK), kAdded);
        EXPECT_TRUE(run.Wait(10000).has_value());
        EXPECT_TRUE(process->Wait(10000).has_value());
        window = nullptr;
        const std::vector<std::wstring> titles = TitlesInFile(cache());
        EXPECT_EQ(titles, (std::vector<std::wstring>{L"Renamed", L"Site 1", L"Town Crier 2.0"}));
    }
}

// An OPML file with `count` channels (inside a folder outline when `nested`), plus skipped outlines.
std::string OpmlFile(int first, int count, bool nested) {
    std::string outlines;
    for (int i = first; i < first + count; ++i)
        outlines += "<outline text=\"Imported " + std::to_string(i) + "\" type=\"rss\" xmlUrl=\"http://site" +
                    std::to_string(i) + ".example.invalid/rss\"/>";
    outlines += "<outline text=\"Not rss\" type=\"link\" xmlUrl=\"http://link.example.invalid/\"/>";
    if (nested)
        outlines = "<outline text=\"Folder\">" + outlines + "</outline>";
    return "<opml version=\"1.1\"><head><title>Other reader</title></head><body>" + outlines + "</body></opml>";
}

class NewsImportTest : public NewsPagesTest {
protected:
    TempFolder files{L"opml"};
    // Picks the file in the program's file-open dialog; returns the message shown afterwards, if any.
    std::wstring Import(const std::wstring& path) {
        ::PostMessageW(page, WM_COMMAND, kImport, 0);
        HWND dialog = WaitForPopup();
        if (!dialog)
            return L"(no file dialog)";
        // The file name box of the file dialog (cmb13, or edt1 in the old style).
        if (HWND name = ::GetDlgItem(dialog, 1148))
            ::SetWindowTextW(name, path.c_str());
        else
            ::SetDlgItemTextW(dialog, 1152, path.c_str());
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 200 && ::IsWindow(dialog); ++i)
            ::Sleep(20);
        HWND box = WaitForWindow(process->id(), L"#32770", 1500);
        return box ? AnswerMessageBox(box, IDOK) : L"";
    }
};

TEST_F(NewsImportTest, TenSitesIntoFortyFiveInsertFiveAndShowTheLimit) {
    WriteSites(45);
    ASSERT_TRUE(WriteFile(files / L"ten.opml", OpmlFile(100, 10, true)));
    Open();
    Select(44);
    EXPECT_EQ(Import(files / L"ten.opml"), L"You can add at most 50 RSS feeds.");
    EXPECT_EQ(Count(), 50);
    EXPECT_FALSE(Enabled(kAdd));
    EXPECT_FALSE(Enabled(kImport));
}

TEST_F(NewsImportTest, SitesGoBelowTheSelectionInFileOrderAndKnownOnesAreSkipped) {
    WriteSites(3);
    ASSERT_TRUE(WriteFile(files / L"three.opml", OpmlFile(1, 4, false))); // site1 and site2 are known
    Open();
    Select(1);
    EXPECT_EQ(Import(files / L"three.opml"), L"");
    PressOk();
    EXPECT_EQ(TitlesInFile(cache()),
              (std::vector<std::wstring>{L"Site 0", L"Site 1", L"Imported 3", L"Imported 4", L"Site 2"}));
}

TEST_F(NewsImportTest, AFileThatIsNotXmlIsRefused) {
    WriteSites(2);
    ASSERT_TRUE(WriteFile(files / L"broken.opml", "this is <not xml"));
    Open();
    EXPECT_EQ(Import(files / L"broken.opml"), L"The OPML file is not valid, so it could not be imported.");
    EXPECT_EQ(Count(), 2);
}

} // namespace

// The news pages and the add-site dialog inside the real settings window, driven by messages from this process;
// feeds come from the local feed server.
#include "feed_server.h"
#include "modules/news/channel_list.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>

#include <memory>

using namespace testenv;

namespace {

constexpr int kSiteList = 1001, kAdd = 1002, kDelete = 1003, kEdit = 1000, kImport = 1004, kUp = 1005, kDown = 1047;
constexpr int kNameEdit = 1017;

class NewsPagesTest : public ::testing::Test {
protected:
    NewsPagesTest() {
        InstallShippedDefaults(folders);
        ::CopyFileW(SourceFile(L"data/program/feed2cache.xslt").c_str(), (program / L"feed2cache.xslt").c_str(), FALSE);
        MakeFolders(cache());
        ::Sleep(300);
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
    TempFolder log{L"monitor"};
    RunningProcess monitor{FolderOfThisExecutable() + L"\\Skylume.exe", {L"--log", log.path()}};
    std::unique_ptr<RunningProcess> process;
    HWND window = nullptr;
    HWND page = nullptr;

    std::wstring cache() const { return folders.userModules() + L"\\RSS\\Cache"; }
    std::wstring listPath() const { return cache() + L"\\channels.opml"; }

    void WriteSites(int count) {
        ::DeleteFileW(listPath().c_str());
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
    // Types a URL into the add-site dialog and presses its OK; returns the outcome message.
    std::wstring AddThroughDialog(const std::wstring& url) {
        ::PostMessageW(page, WM_COMMAND, kAdd, 0);
        HWND dialog = WaitForPopup();
        if (!dialog)
            return L"(no dialog)";
        ::SetDlgItemTextW(dialog, kNameEdit, url.c_str());
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
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
        ::SetDlgItemTextW(dialog, kNameEdit, typed.c_str());
        wchar_t shown[64] = {};
        ::GetDlgItemTextW(dialog, kNameEdit, shown, 64);
        EXPECT_EQ(std::wstring(shown), typed.substr(typed.find_first_not_of(L" \u3000")));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
            ::Sleep(20);
    }
    std::string Codes() { return ReadFile(log / L"codes.txt").value_or(""); }
    // OK on the settings window; the codes the display program heard.
    std::string PressOk() {
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(process->Wait(10000).has_value());
        ::Sleep(400);
        window = nullptr;
        return Codes();
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

    EXPECT_EQ(AddThroughDialog(server.Url(L"/feeds/rss20.xml")), L"The RSS feed was added to Skylume.");
    EXPECT_EQ(Count(), 50);
    EXPECT_FALSE(Enabled(kAdd));
    EXPECT_FALSE(Enabled(kImport));
    PressOk();
    std::vector<std::wstring> titles = TitlesInFile(cache());
    ASSERT_EQ(titles.size(), 50u);
    EXPECT_EQ(titles.back(), L"Town Crier 2.0"); // after the selected last site
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

TEST_F(NewsPagesTest, CancellingASlowCheckReturnsAtOnceAndAddsNothing) {
    WriteSites(1);
    Open();
    ::PostMessageW(page, WM_COMMAND, kAdd, 0);
    HWND dialog = WaitForPopup();
    ASSERT_TRUE(dialog);
    ::SetDlgItemTextW(dialog, kNameEdit, server.Url(L"/slow.xml").c_str());
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 200 && server.RequestsFor("/slow.xml") == 0; ++i)
        ::Sleep(50);
    const DWORD start = ::GetTickCount();
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 300 && ::IsWindow(dialog); ++i)
        ::Sleep(10);
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_LT(::GetTickCount() - start, 1600u);
    ::Sleep(300);
    EXPECT_EQ(WaitForWindow(process->id(), L"#32770", 300), nullptr); // no outcome message
    EXPECT_EQ(Count(), 1);
}

TEST_F(NewsPagesTest, RenamingAndRenamingBackIsNoChange) {
    WriteSites(3);
    Open();
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
    WriteSites(2);
    Open();
    RunningProcess run(program.exe(), {L"-addrss", server.Url(L"/feeds/atom10.xml")});
    HWND box = WaitForWindow(run.id(), L"#32770", 30000);
    ASSERT_TRUE(box);
    EXPECT_EQ(MessageBoxText(box), L"The RSS feed was added to Skylume.");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    run.Wait(10000);
    for (int i = 0; i < 100 && Count() < 3; ++i)
        ::Sleep(50);
    EXPECT_EQ(Count(), 3);
    EXPECT_FALSE(FileExists(folders.userModules() + L"\\RSS\\arf.dat")); // taken by the open window
    const std::string codes = PressOk();
    EXPECT_EQ(codes.find("0xABE00001"), std::string::npos);
    EXPECT_EQ(TitlesInFile(cache()), (std::vector<std::wstring>{L"Site 0", L"Site 1", L"Observatory (Atom 1.0)"}));
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

// The Display page: the background list file, the installer's background steps, and the page in the real
// settings window with its Flash preview.
#include "page_window_fixture.h"
#include "pages/display/background_files.h"
#include "pages/display/background_list.h"
#include "shell/folders.h"
#include "win32/com.h"
#include "win32/strings.h"

using namespace testenv;

namespace {

constexpr int kList = 1001, kAdd = 1002, kRemove = 1003, kPosition = 1018, kPreviewMessage = 1044, kPreview = 1046;

std::string Record(const std::wstring& path) {
    std::string bytes;
    const uint32_t length = uint32_t(path.size());
    bytes.append(reinterpret_cast<const char*>(&length), 4);
    for (wchar_t c : path)
        bytes.append(reinterpret_cast<const char*>(&c), 2);
    return bytes;
}
std::string Header(int32_t count) {
    std::string bytes("\x01\xEE\x12\xEC", 4);
    bytes.append(reinterpret_cast<const char*>(&count), 4);
    return bytes;
}

} // namespace

TEST(BackgroundListFile, CountsAndRecordLengthsOutsideTheLimitsEndTheList) {
    using display::ParseBackgroundList;
    EXPECT_TRUE(ParseBackgroundList(Header(0)).empty());
    EXPECT_TRUE(ParseBackgroundList(std::string("\x02\xEE\x12\xEC\x01\0\0\0", 8) + Record(L"C:\\a.jpg")).empty());
    const std::wstring longest(260, L'x'), tooLong(261, L'y');
    auto paths = ParseBackgroundList(Header(4) + Record(L"C:\\a.jpg") + Record(longest) + Record(tooLong) +
                                     Record(L"C:\\after.jpg"));
    ASSERT_EQ(paths.size(), 2u) << "a record of 261 ends the reading";
    EXPECT_EQ(paths[1], longest);
    const std::vector<std::wstring> written = {L"C:\\x.jpg", L"D:\\\u6620\u50cf.swf", L""};
    EXPECT_EQ(display::SerializeBackgroundList(written),
              Header(3) + Record(written[0]) + Record(written[1]) + Record(L""));
    EXPECT_EQ(ParseBackgroundList(display::SerializeBackgroundList(written)), written);
}

class InstallerBackgroundSteps : public ::testing::Test {
protected:
    InstallerBackgroundSteps() { shell::ResetModulesFolderCache(); }
    ~InstallerBackgroundSteps() override { shell::ResetModulesFolderCache(); }
    win32::ComInit com;
    IsolatedFolders folders;
    std::wstring background = folders.commonAppData() + L"\\Quillon\\Skylume\\Background";
};

TEST_F(InstallerBackgroundSteps, RelocationTurnsABareNameIntoTheFullPathOnce) {
    MakeFolders(background);
    MakeFolders(folders.commonModules());
    WriteFile(background + L"\\Dawn.jpg", "jpeg");
    const std::wstring data = folders.commonModules() + L"\\data.xml";
    WriteFile(data, "<conf_data><keep/><background position=\"zoom\">dawn.jpg</background></conf_data>");
    EXPECT_TRUE(RelocateBackgroundPath(data));
    const std::string once = ReadFile(data).value_or("");
    const std::string relocated = win32::WideToUtf8(background + L"\\Dawn.jpg</background>");
    EXPECT_NE(once.find(relocated), std::string::npos) << "the name as the file system has it: " << once;
    EXPECT_NE(once.find("<keep/>"), std::string::npos);
    EXPECT_FALSE(RelocateBackgroundPath(data));
    EXPECT_EQ(ReadFile(data), once);
    WriteFile(data, "<conf_data><background position=\"zoom\">gone.jpg</background></conf_data>");
    EXPECT_TRUE(RelocateBackgroundPath(data));
    EXPECT_NE(ReadFile(data).value_or("").find(win32::WideToUtf8(background) + "\\gone.jpg<"), std::string::npos);
}

TEST_F(InstallerBackgroundSteps, DefaultListHoldsJpegsThenSwfsAndNothingWhenEmpty) {
    MakeFolders(background + L"\\folder.jpg");
    MakeFolders(folders.commonModules());
    const std::wstring list = folders.commonModules() + L"\\bkimglist.dat";
    EXPECT_FALSE(BuildDefaultBackgroundList(background));
    EXPECT_FALSE(FileExists(list));
    WriteFile(background + L"\\movie.swf", "FWS");
    WriteFile(background + L"\\b.jpeg", "jpeg");
    WriteFile(background + L"\\a.jpg", "jpeg");
    WriteFile(background + L"\\c.png", "png");
    EXPECT_TRUE(BuildDefaultBackgroundList(background));
    const auto paths = display::ReadBackgroundListFile(list);
    EXPECT_EQ(paths, (std::vector<std::wstring>{background + L"\\a.jpg", background + L"\\b.jpeg",
                                                background + L"\\movie.swf"}));
}

// The installer's job on a fresh all-users tree: the default background list, the absolute photo folder, the
// relocated backgrounds; a second run changes nothing more.
TEST(InitData, PreparesTheAllUsersDataOnceAndAgainChangesNothing) {
    IsolatedFolders folders;
    ProgramFolder program;
    RegistryKeyCleaner menu{HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\MenuExt"};
    const std::wstring product = folders.commonAppData() + L"\\Quillon\\Skylume";
    InstallShippedModules(folders.commonModules());
    MakeFolders(product + L"\\Demo");
    ::CopyFileW(SourceFile(L"data/common/Demo/data.xml").c_str(), (product + L"\\Demo\\data.xml").c_str(), FALSE);
    MakeFolders(product + L"\\Background");
    for (const wchar_t* name : {L"skylume-dawn.jpg", L"skylume-night.jpg", L"skylume-stage.swf"})
        ::CopyFileW(SourceFile(std::wstring(L"data/common/Background/") + name).c_str(),
                    (product + L"\\Background\\" + name).c_str(), FALSE);

    ASSERT_TRUE(RunProgram(program.exe(), {L"INIT_DATA"}).finished);
    const std::wstring list = folders.commonModules() + L"\\bkimglist.dat";
    const auto paths = display::ReadBackgroundListFile(list);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[2], product + L"\\Background\\skylume-stage.swf");
    const std::string modules = ReadFile(folders.commonModules() + L"\\data.xml").value_or("");
    const std::string expectedBackground = win32::WideToUtf8(product) + "\\Background\\skylume-dawn.jpg</background>";
    EXPECT_NE(modules.find(expectedBackground), std::string::npos) << modules;
    EXPECT_NE(ReadFile(product + L"\\Demo\\data.xml").value_or("").find(expectedBackground), std::string::npos);
    const std::string photo = ReadFile(folders.commonModules() + L"\\Photo\\data.xml").value_or("");
    EXPECT_NE(photo.find("path=\"" + win32::WideToUtf8(folders.commonAppData()) + "\\Quillon\\Skylume\\Demo\\Photos\""),
              std::string::npos)
        << photo;

    const auto listOnce = ReadFile(list);
    ASSERT_TRUE(RunProgram(program.exe(), {L"/init_data"}).finished);
    EXPECT_EQ(ReadFile(list), listOnce);
    EXPECT_EQ(ReadFile(folders.commonModules() + L"\\data.xml").value_or(""), modules);
    EXPECT_EQ(ReadFile(folders.commonModules() + L"\\Photo\\data.xml").value_or(""), photo);
}

namespace {

class DisplayPageTest : public pagetest::PageWindowTest {
protected:
    DisplayPageTest() { MakeFolders(pictures.path()); }
    std::wstring Picture(const std::wstring& name) {
        WriteFile(pictures / name, "picture");
        return pictures / name;
    }
    void WriteList(const std::vector<std::wstring>& paths) {
        MakeFolders(folders.userModules());
        WriteFile(ListFile(), display::SerializeBackgroundList(paths));
    }
    void WriteData(const std::string& background) {
        MakeFolders(folders.userModules());
        WriteFile(folders.userModules() + L"\\data.xml", "<conf_data><modules/>" + background + "</conf_data>");
    }
    std::wstring ListFile() const { return folders.userModules() + L"\\bkimglist.dat"; }
    std::string Data() const { return ReadFile(folders.userModules() + L"\\data.xml").value_or(""); }
    HWND OpenDisplayPage() {
        HWND window = Open();
        return window ? PageWith(window, kPosition, kRemove) : nullptr;
    }
    static int Count(HWND page) { return int(::SendDlgItemMessageW(page, kList, LB_GETCOUNT, 0, 0)); }
    static int Selected(HWND page) { return int(::SendDlgItemMessageW(page, kList, LB_GETCURSEL, 0, 0)); }
    static void Select(HWND page, int index) {
        ::SendDlgItemMessageW(page, kList, LB_SETCURSEL, WPARAM(index), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE), LPARAM(::GetDlgItem(page, kList)));
    }
    // What the Flash control shows, from its view window: "ScaleMode=<n>;Movie=<path>".
    static std::wstring PreviewState(HWND page) {
        HWND host = ::GetDlgItem(page, kPreview);
        HWND view = host ? ::GetWindow(host, GW_CHILD) : nullptr;
        wchar_t text[1024] = {};
        if (view)
            ::GetWindowTextW(view, text, 1024);
        return text;
    }

    FlashPlayer flash{0x000A0000};
    TempFolder pictures{L"pictures"};
};

} // namespace

// A list file the page could not read in full is not rewritten unless the user changes the list.
TEST_F(DisplayPageTest, ListFileOutsideItsLimitsListsOnlyNoneAndIsRewrittenOnlyWhenChanged) {
    MakeFolders(folders.userModules());
    const std::string unreadable = Header(10001) + Record(L"C:\\a.jpg");
    WriteFile(ListFile(), unreadable);
    WriteData("<background position=\"center\"/>");
    HWND page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Count(page), 1);
    EXPECT_EQ(Selected(page), 0);
    EXPECT_TRUE(Shown(::GetDlgItem(page, kPreviewMessage)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, kPosition)));
    const std::string data = Data();
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(ListFile()), unreadable);
    EXPECT_EQ(Data(), data) << "nothing changed: the data file is not written";

    const std::wstring added = Picture(L"added.jpg");
    page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    Click(page, kAdd);
    ASSERT_TRUE(ChooseFiles(L"Add Background Pictures", pictures.path(), L"\"added.jpg\""));
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_EQ(display::ReadBackgroundListFile(ListFile()), std::vector<std::wstring>{added});
}

// The list holds at most what its reader takes: an Add beyond 10,000 entries is refused with a message.
TEST_F(DisplayPageTest, AddStopsAtTheReadersLimitWithAMessage) {
    std::vector<std::wstring> paths;
    for (int i = 0; i < 9999; ++i)
        paths.push_back(L"C:\\Backgrounds\\" + std::to_wstring(i) + L".jpg");
    WriteList(paths);
    WriteData("<background position=\"center\"/>");
    Picture(L"last.jpg");
    Picture(L"over.jpg");
    HWND page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(Count(page), 10000);
    Click(page, kAdd);
    ASSERT_TRUE(ChooseFiles(L"Add Background Pictures", pictures.path(), L"\"last.jpg\" \"over.jpg\""));
    const std::wstring box = AnswerMessageBox(IDOK);
    EXPECT_NE(box.find(L"at most 10,000"), std::wstring::npos) << Narrow(box);
    EXPECT_EQ(Count(page), 10001);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    const auto listed = display::ReadBackgroundListFile(ListFile());
    ASSERT_EQ(listed.size(), 10000u) << "the next start reads the whole list";
    EXPECT_EQ(listed[0], pictures / L"last.jpg");
}

// A Modules file of an older version (no `background`) or with an unknown position is the user's whole shared
// file: it stays as it is on Cancel, and OK writes a valid position into it.
TEST_F(DisplayPageTest, AFileWithoutAUsableBackgroundIsKeptAndOkWritesAValidPosition) {
    const std::string older = "<conf_data><screensaving>true</screensaving><modules/><keep>mine</keep></conf_data>";
    const std::string tile = "<conf_data><screensaving>true</screensaving><modules/><keep>mine</keep>"
                             "<background position=\"tile\">C:\\x.jpg</background></conf_data>";
    for (const std::string& data : {older, tile}) {
        MakeFolders(folders.userModules());
        WriteFile(folders.userModules() + L"\\data.xml", data);
        HWND page = OpenDisplayPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(Press(::GetParent(page), IDCANCEL), std::optional<DWORD>(0));
        EXPECT_EQ(Data(), data) << "Cancel leaves the file byte for byte";
    }
    HWND page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_NE(Data().find("<conf_data><screensaving>true</screensaving><modules/><keep>mine</keep>"
                          "<background position=\"center\"/></conf_data>"),
              std::string::npos)
        << Data();
    EXPECT_FALSE(FileExists(folders.userModules() + L"\\data.xml.bad"));
}

TEST_F(DisplayPageTest, StoredBackgroundMatchesIgnoringCaseAndPreviewsKeepingTheScaleMode) {
    const std::wstring a = Picture(L"Alpha.jpg"), b = Picture(L"beta.swf");
    WriteList({a, b, pictures / L"vanished.jpg"});
    WriteData("<background position=\"resize\">" + Narrow(win32::ToUpper(b)) + "</background>");
    // The player's scale mode before the page's first movie: each new movie must keep it.
    DWORD exactFit = 2;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\Flash", L"ScaleMode", REG_DWORD, &exactFit,
                      sizeof(exactFit));
    HWND page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(Count(page), 4);
    EXPECT_EQ(Selected(page), 2);
    EXPECT_EQ(::SendDlgItemMessageW(page, kPosition, CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Shown(::GetDlgItem(page, kPreview)));
    EXPECT_EQ(PreviewState(page), L"ScaleMode=2;Movie=" + b);
    Select(page, 3);
    EXPECT_TRUE(Shown(::GetDlgItem(page, kPreviewMessage)));
    EXPECT_FALSE(Shown(::GetDlgItem(page, kPreview)));
    wchar_t message[64] = {};
    ::GetDlgItemTextW(page, kPreviewMessage, message, 64);
    EXPECT_STREQ(message, L"No preview available");
    Select(page, 1);
    EXPECT_EQ(PreviewState(page), L"ScaleMode=2;Movie=" + a);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_NE(Data().find("<background position=\"resize\">" + Narrow(a) + "</background>"), std::string::npos)
        << Data();
    EXPECT_EQ(display::ReadBackgroundListFile(ListFile()).size(), 3u) << "the vanished file stays listed";

    // The position alone changed is a change too.
    page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    ::SendDlgItemMessageW(page, kPosition, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_NE(Data().find("<background position=\"zoom\">" + Narrow(a) + "</background>"), std::string::npos) << Data();
}

// Upper-case extensions are taken; another type, a folder named like a picture and a file chosen twice are not.
TEST_F(DisplayPageTest, AddingTakesJpegAndSwfOnceAndRefusesOtherFilesAndFolders) {
    const std::wstring first = Picture(L"first.jpg");
    Picture(L"UPPER.JPG");
    Picture(L"movie.swf");
    Picture(L"other.png");
    MakeFolders(pictures / L"x.jpg");
    WriteList({first});
    WriteData("<background position=\"center\">" + Narrow(first) + "</background>");
    HWND page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(Selected(page), 1);
    Click(page, kAdd);
    ASSERT_TRUE(ChooseFiles(L"Add Background Pictures", pictures.path(),
                            L"\"UPPER.JPG\" \"other.png\" \"x.jpg\" \"movie.swf\" \"UPPER.JPG\" \"first.jpg\""))
        << "the dialog returned the selection, so the page's own checks decided";
    EXPECT_EQ(Selected(page), 1) << "the selection does not move";
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_EQ(display::ReadBackgroundListFile(ListFile()),
              (std::vector<std::wstring>{first, pictures / L"movie.swf", pictures / L"UPPER.JPG"}));
}

TEST_F(DisplayPageTest, NoneIsSavedWithItsPositionAndNoTextAndRemovingNoneChangesNothing) {
    const std::wstring a = Picture(L"a.jpg");
    WriteList({a});
    WriteData("<background position=\"zoom\">" + Narrow(a) + "</background>");
    HWND page = OpenDisplayPage();
    ASSERT_NE(page, nullptr);
    Select(page, 0);
    Click(page, kRemove);
    EXPECT_NE(AnswerMessageBox(IDYES).find(L"Remove the selected background picture"), std::wstring::npos);
    EXPECT_EQ(Count(page), 2);
    Select(page, 1);
    Click(page, kRemove);
    AnswerMessageBox(IDYES);
    EXPECT_EQ(Count(page), 1);
    EXPECT_EQ(Selected(page), 0);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_NE(Data().find("<background position=\"zoom\"/>"), std::string::npos) << Data();
    EXPECT_EQ(ReadFile(ListFile()), Header(0));
}

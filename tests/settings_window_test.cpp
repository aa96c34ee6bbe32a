// The settings window of the real program, driven by messages and keys as a user would.
#include "test_env.h"

#include "xmldata/xml_document.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testenv;

namespace {

constexpr int kCategoryList = 1001, kHelpButton = 1000;
constexpr int kModuleList = 1001, kBurnInCheck = 1016, kModeScreenCheck = 1049, kVersionLine = 1008;

const UINT kCommonMessage = ::RegisterWindowMessageW(L"TesselCommonMessage0504190");
// The changed-modules file that names the modules folder's own data file alone.
const std::string kModulesFolderChanged("\0\0\0\0\1\0\0\0\0\0\0\0", 12);

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() { InstallShippedDefaults(folders); }

    void InstallVisualizer() {
        MakeFolders(folders.commonModules() + L"\\Visualizer");
        WriteFile(folders.commonModules() + L"\\Visualizer\\module-sub.swf", "FWS");
    }
    // The Display page shares this file and needs its background element, or the default copy replaces it.
    void WriteUserData(std::string xml) {
        MakeFolders(folders.userModules());
        const size_t end = xml.rfind("</conf_data>");
        if (xml.find("<background") == std::string::npos && end != std::string::npos)
            xml.insert(end, "<background position=\"center\"/>");
        ASSERT_TRUE(WriteFile(UserData(), xml));
    }
    std::wstring UserData() const { return folders.userModules() + L"\\data.xml"; }
    std::wstring Cmf() const { return folders.userModules() + L"\\cmf.dat"; }

    HWND Open() { return OpenSettingsWindow(program.exe(), process); }
    static HWND PageWith(HWND window, int id) { return FindPage(window, {id}); }
    static void SelectCategory(HWND window, int index) {
        HWND list = ::GetDlgItem(window, kCategoryList);
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCategoryList, LBN_SELCHANGE), LPARAM(list));
    }
    // Presses a dialog button and waits for the program to end.
    std::optional<DWORD> Press(HWND window, int id) {
        ::PostMessageW(window, WM_COMMAND, id, 0);
        return process->Wait(10000);
    }
    std::string Codes() const { return monitor.Codes(); }
    static void ClickListItem(HWND list, int index) {
        ::SendMessageW(list, LB_SETTOPINDEX, index, 0); // the item must be in view to be clicked
        RECT item = {};
        ::SendMessageW(list, LB_GETITEMRECT, index, LPARAM(&item));
        const LPARAM point = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
        ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::PostMessageW(list, WM_LBUTTONUP, 0, point);
        ::Sleep(200);
    }

    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    DisplayMonitor monitor;
    std::unique_ptr<RunningProcess> process;
};

} // namespace

TEST_F(SettingsWindowTest, UncheckingTheVisualizerReachesTheDisplayProgram) {
    InstallVisualizer();
    WriteUserData("<conf_data><screensaving>true</screensaving><keep>me</keep>"
                  "<modules><sub>Visualizer</sub></modules></conf_data>");
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    HWND general = PageWith(window, kModuleList);
    ASSERT_NE(general, nullptr);
    HWND modules = ::GetDlgItem(general, kModuleList);
    // One entry per module page; the Visualizer page comes last.
    const int entries = int(::SendMessageW(modules, LB_GETCOUNT, 0, 0));
    ASSERT_GE(entries, 1);
    ClickListItem(modules, entries - 1);

    EXPECT_EQ(Press(window, IDOK), std::optional<DWORD>(0));
    std::string data = ReadFile(UserData()).value_or("");
    EXPECT_EQ(data.find("Visualizer"), std::string::npos) << data;
    EXPECT_NE(data.find("<keep>me</keep>"), std::string::npos) << data;
    EXPECT_NE(data.find("<screensaving>true</screensaving>"), std::string::npos) << data;
    EXPECT_EQ(ReadFile(Cmf()), kModulesFolderChanged);
    EXPECT_EQ(Codes(), "0xABE00001 cmf-1.dat\r\n");
    EXPECT_EQ(ReadFile(monitor / L"cmf-1.dat"), kModulesFolderChanged)
        << "the file was complete before the code was posted";
}

TEST_F(SettingsWindowTest, MissingModulesLeaveTheFileWhenTheWindowOpensEvenOnCancel) {
    InstallVisualizer();
    WriteUserData("<conf_data><modules><sub>Weather</sub><sub>Visualizer</sub><sub>Visualizer</sub></modules>"
                  "</conf_data>");
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Press(window, IDCANCEL), std::optional<DWORD>(0));
    std::string data = ReadFile(UserData()).value_or("");
    EXPECT_EQ(data.find("Weather"), std::string::npos) << data;
    auto count = [&data](const std::string& what) {
        size_t n = 0;
        for (size_t at = data.find(what); at != std::string::npos; at = data.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<sub>Visualizer</sub>"), 1u) << data;
    EXPECT_FALSE(FileExists(Cmf()));
}

// Unchecking and checking a module again, or clicking below the last module, is no change: OK writes no data
// file and broadcasts nothing, leaving an older changed-modules file alone, but writes the mode-screen choice.
TEST_F(SettingsWindowTest, UncheckingAndRecheckingOrClickingBelowTheLastModuleChangesNothing) {
    InstallVisualizer();
    WriteUserData("<conf_data><modules><sub>Visualizer</sub></modules></conf_data>");
    WriteFile(Cmf(), "older");
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    const auto opened = ReadFile(UserData());
    HWND modules = ::GetDlgItem(PageWith(window, kModuleList), kModuleList);
    ClickListItem(modules, 1);
    ClickListItem(modules, 1);
    // With every module page installed the list is full; make it taller than its items so there is room below
    // (scrolled back to the top, as it shows itself once everything fits).
    ::SendMessageW(modules, LB_SETTOPINDEX, 0, 0);
    RECT last = {}, client;
    ::SendMessageW(modules, LB_GETITEMRECT, ::SendMessageW(modules, LB_GETCOUNT, 0, 0) - 1, LPARAM(&last));
    ::GetClientRect(modules, &client);
    ::SetWindowPos(modules, nullptr, 0, 0, client.right + 4, last.bottom + 24, SWP_NOMOVE | SWP_NOZORDER);
    ::GetClientRect(modules, &client);
    ::PostMessageW(modules, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 3));
    ::Sleep(200);
    EXPECT_EQ(Press(window, IDOK), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(UserData()), opened);
    EXPECT_EQ(ReadFile(Cmf()), "older");
    EXPECT_EQ(Codes(), "");
    DWORD value = 7, size = sizeof(value);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel", L"NotShowPSDialog", RRF_RT_REG_DWORD,
                             nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
}

// A stored choice of another type than a number reads as absent (checked); unchecking alone writes the number.
TEST_F(SettingsWindowTest, ModeScreenChoiceAloneWritesOnlyTheRegistry) {
    WriteUserData("<conf_data><screensaving>false</screensaving><modules/></conf_data>");
    SetRegistryText(HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel", L"NotShowPSDialog", L"1");
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    const auto opened = ReadFile(UserData());
    HWND general = PageWith(window, kModeScreenCheck);
    ASSERT_NE(general, nullptr);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(general, kModeScreenCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(::GetDlgItem(general, kModeScreenCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(Press(window, IDOK), std::optional<DWORD>(0));
    DWORD value = 0, size = sizeof(value);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel", L"NotShowPSDialog", RRF_RT_REG_DWORD,
                             nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(ReadFile(UserData()), opened);
    EXPECT_FALSE(FileExists(Cmf()));
    EXPECT_EQ(Codes(), "");
}

TEST_F(SettingsWindowTest, CloseCodeClosesLikeCancel) {
    WriteUserData("<conf_data><screensaving>false</screensaving><modules/></conf_data>");
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    ::SendMessageW(::GetDlgItem(PageWith(window, kBurnInCheck), kBurnInCheck), BM_SETCHECK, BST_CHECKED, 0);
    const auto opened = ReadFile(UserData());
    ::PostMessageW(HWND_BROADCAST, kCommonMessage, 0xABE00003, 0);
    EXPECT_EQ(process->Wait(10000), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(UserData()), opened);
    EXPECT_FALSE(FileExists(Cmf()));
}

TEST_F(SettingsWindowTest, ForwardCodeRaisesTheWindowOverAnother) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    MSG msg;
    for (int i = 0; i < 10; ++i) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(30);
    }
    ASSERT_EQ(::GetForegroundWindow(), other);
    ::PostMessageW(HWND_BROADCAST, kCommonMessage, 0xABE00005, 0);
    for (int i = 0; i < 100 && ::GetForegroundWindow() != window; ++i) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(50);
    }
    EXPECT_EQ(::GetForegroundWindow(), window);
    ::DestroyWindow(other);
    Press(window, IDCANCEL);
}

TEST_F(SettingsWindowTest, PageWithoutDataOrDefaultEndsTheWindowWithAMessage) {
    ::DeleteFileW((folders.commonModules() + L"\\data.xml").c_str());
    process = std::make_unique<RunningProcess>(program.exe(), std::vector<std::wstring>{});
    const std::wstring text = AnswerMessageBox(WaitForWindow(process->id(), L"#32770"), IDOK);
    EXPECT_NE(text.find(L"required files are missing or damaged"), std::wstring::npos) << text;
    EXPECT_EQ(process->Wait(10000), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(Cmf()));
}

TEST_F(SettingsWindowTest, TabAndShiftTabLeaveThePageForOkAndTheCategoryList) {
    WriteUserData("<conf_data><modules/></conf_data>");
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    ::SetForegroundWindow(window);
    HWND page = CurrentPage(window);
    ASSERT_NE(page, nullptr);

    ::SendMessageW(page, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(page, kModeScreenCheck)), TRUE);
    TypeChord({VK_TAB});
    EXPECT_EQ(FocusOfWindowThread(window), ::GetDlgItem(window, IDOK));

    ::SendMessageW(page, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(page, kModuleList)), TRUE);
    TypeChord({VK_SHIFT, VK_TAB});
    EXPECT_EQ(FocusOfWindowThread(window), ::GetDlgItem(window, kCategoryList));

    // Back into the page: Tab on the list goes to the page's first stop, Shift+Tab on OK to its last.
    TypeChord({VK_TAB});
    EXPECT_EQ(FocusOfWindowThread(window), ::GetDlgItem(page, kModuleList));
    ::SendMessageW(window, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(window, IDOK)), TRUE);
    TypeChord({VK_SHIFT, VK_TAB});
    EXPECT_EQ(FocusOfWindowThread(window), ::GetDlgItem(page, kModeScreenCheck));
    Press(window, IDCANCEL);
}

TEST_F(SettingsWindowTest, AltHInsideAPageActsLikeTheHelpButton) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    ::SetForegroundWindow(window);
    HWND page = CurrentPage(window);
    ::SendMessageW(page, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(page, kBurnInCheck)), TRUE);
    TypeChord({VK_MENU, 'H'});
    EXPECT_EQ(FocusOfWindowThread(window), ::GetDlgItem(window, kHelpButton));
    Press(window, IDCANCEL);
}

// Opened without a user data file, which the window restores from the defaults.
TEST_F(SettingsWindowTest, VersionPageShowsTheDefaultOrTheFirstLineOfVersionTxt) {
    // The General page has a control 1008 too; the version page is the one whose line says "Version".
    auto versionLine = [](HWND window) {
        wchar_t text[128] = {};
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            ::GetDlgItemTextW(child, kVersionLine, text, 128);
            if (std::wstring(text).find(L"Version") != std::wstring::npos)
                return std::wstring(text);
        }
        return std::wstring();
    };
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(FileExists(UserData())) << "the deleted data file is restored from the defaults";
    EXPECT_EQ(versionLine(window), L"Skylume Version 1.0.00.07110");
    Press(window, IDCANCEL);

    WriteFile(program / L"version.txt", "2.5.01.1234\r\nsecond line\r\n");
    window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(versionLine(window), L"Skylume Version 2.5.01.1234");
    Press(window, IDCANCEL);
}

TEST_F(SettingsWindowTest, CategoriesFollowTheInstalledModules) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    // General, Version and the module pages that every installation has.
    const int always = int(::SendMessageW(::GetDlgItem(window, kCategoryList), LB_GETCOUNT, 0, 0));
    EXPECT_GE(always, 2);
    Press(window, IDCANCEL);

    InstallVisualizer();
    MakeFolders(folders.commonModules() + L"\\LOCALE");
    MakeFolders(folders.commonModules() + L"\\photo");
    window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(window, kCategoryList), LB_GETCOUNT, 0, 0), always + 1);
    SelectCategory(window, always);
    EXPECT_NE(CurrentPage(window), PageWith(window, kModuleList));
    Press(window, IDCANCEL);
}

// Files the window once damaged or could not open: two `modules` lists (the second naming a module without a
// page), files declared UTF-16 and ISO-8859-1 with accented text, and one declared Shift_JIS (which Wine's parser
// cannot read itself) with Japanese text. Each opens, two opens change no byte, and after an OK every text the
// user did not touch reads back the same, in the declared encoding.
TEST_F(SettingsWindowTest, Utf16AndTwoModulesListsSurviveTwoOpensAndOk) {
    InstallVisualizer();
    const std::wstring note = L"caf\u00e9 na\u00efve \u00c5ngstr\u00f6m";
    const std::string utf16 =
        Utf16File(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<conf_data><screensaving>false</screensaving>"
                  L"<modules><sub>Visualizer</sub></modules><background position=\"center\"/><note>" +
                  note + L"</note></conf_data>\r\n");
    const std::string twoLists = "<conf_data><screensaving>false</screensaving><modules><sub>Visualizer</sub></modules>"
                                 "<modules><sub>Weather</sub></modules><note>caf\xc3\xa9 na\xc3\xafve \xc3\x85ngstr"
                                 "\xc3\xb6m</note></conf_data>";
    // The XML layer keeps every declared encoding (XmlDataTest.DeclaredEncodingsAreWrittenAsDeclaredAndStayStable);
    // here UTF-16, the one with a byte-order mark, goes the whole way through the window.
    const struct {
        std::string bytes;
        std::string mark; // bytes the saved file must still hold: the note in the declared encoding
    } files[] = {{utf16, std::string("c\0a\0f\0\xe9\0", 8)}, {twoLists, "caf\xc3\xa9"}};
    for (const auto& file : files) {
        WriteUserData(file.bytes);
        std::optional<std::string> afterOpen;
        for (int open = 0; open < 2; ++open) {
            HWND window = Open();
            ASSERT_NE(window, nullptr);
            ASSERT_NE(PageWith(window, kModuleList), nullptr) << "the window opened, not the reinstall message";
            EXPECT_EQ(Press(window, IDCANCEL), std::optional<DWORD>(0));
            if (open == 0)
                afterOpen = ReadFile(UserData());
            else
                EXPECT_EQ(ReadFile(UserData()), afterOpen) << "a second open changes no byte";
        }
        HWND window = Open();
        ASSERT_NE(window, nullptr);
        ::SendMessageW(::GetDlgItem(PageWith(window, kBurnInCheck), kBurnInCheck), BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(Press(window, IDOK), std::optional<DWORD>(0));

        const std::string saved = ReadFile(UserData()).value_or("");
        EXPECT_NE(saved.find(file.mark), std::string::npos) << saved;
        EXPECT_EQ(ReadFile(Cmf()), kModulesFolderChanged);
        EXPECT_EQ(saved.find("Weather"), std::string::npos) << "the unknown module left its own list";
        win32::ComInit com;
        xmldata::XmlDocument doc;
        ASSERT_TRUE(doc.Load(UserData()));
        EXPECT_EQ(doc.SelectText(L"./note"), note);
        EXPECT_EQ(doc.SelectText(L"./screensaving"), L"true");
        EXPECT_EQ(doc.SelectNodes(L"./modules/sub").size(), 1u);
        EXPECT_FALSE(FileExists(UserData() + L".bad")) << "no restore was needed";
    }
}

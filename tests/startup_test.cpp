// The real program, started as its own process: run paths, keywords, single instance and HALT.
#include "test_env.h"

#include <gtest/gtest.h>

using namespace testenv;

namespace {

constexpr wchar_t kMenuExtKey[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\Add RSS Feed to Skylume";

class StartupTest : public ::testing::Test {
protected:
    StartupTest() { InstallShippedDefaults(folders); }
    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner menuEntry{HKEY_CURRENT_USER, kMenuExtKey};

    ProcessResult Run(const std::vector<std::wstring>& arguments, DWORD timeoutMs = 20000) {
        return RunProgram(program.exe(), arguments, timeoutMs);
    }
    bool MenuEntryExists() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kMenuExtKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }
    // Answers a message box of the process with its first button; returns its text.
    std::wstring DismissMessageBox(const RunningProcess& process) {
        return AnswerMessageBox(WaitForWindow(process.id(), L"#32770"), IDOK);
    }
};

// Every spelling of the keywords is parsed in command_line_test; one of the others here shows the program uses it.
TEST_F(StartupTest, InitDataWritesTheScriptAndTheMenuEntry) {
    ProcessResult result = Run({L"-Init_Data"});
    EXPECT_TRUE(result.finished && result.exitCode == 0);
    std::optional<std::string> script = ReadFile(program / L"aiesc.html");
    ASSERT_TRUE(script);
    EXPECT_EQ(script->substr(0, 8), "<html>\r\n");
    EXPECT_EQ(script->substr(script->size() - 9), "\r\n</html>");

    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kMenuExtKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), program / L"aiesc.html");
    DWORD contexts = 0;
    size = sizeof(contexts);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kMenuExtKey, L"Contexts", RRF_RT_REG_DWORD, nullptr, &contexts, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(contexts, 0x22u);
}

TEST_F(StartupTest, InitDataPutsTheDefaultsOfTheAllUsersLanguageInPlace) {
    CopyTree(SourceFile(L"data/defaults"), program / L"Defaults");
    const std::wstring modules = folders.commonModules();
    const auto usCalendar = ReadFile(modules + L"\\Calendar\\data.xml");
    ASSERT_TRUE(usCalendar);
    auto withLocale = [&](const std::string& code) {
        return WriteFile(modules + L"\\data.xml", "<conf_data><screensaving>false</screensaving><modules/><locale>" +
                                                      code + "</locale></conf_data>");
    };
    ASSERT_TRUE(withLocale("jpn"));
    ASSERT_TRUE(Run({L"INIT_DATA"}).finished);
    EXPECT_EQ(ReadFile(modules + L"\\Clock\\data.xml"), ReadFile(SourceFile(L"data/defaults/jpn/Clock/data.xml")));
    EXPECT_EQ(ReadFile(modules + L"\\Calendar\\data.xml"), usCalendar) << "a Japanese week starts on Sunday";

    ASSERT_TRUE(withLocale("fra"));
    ASSERT_TRUE(Run({L"INIT_DATA"}).finished);
    EXPECT_EQ(ReadFile(modules + L"\\Clock\\data.xml"), ReadFile(SourceFile(L"data/defaults/fra/Clock/data.xml")));
    EXPECT_EQ(ReadFile(modules + L"\\Calendar\\data.xml"),
              ReadFile(SourceFile(L"data/defaults/fra/Calendar/data.xml")));
}

TEST_F(StartupTest, RemoveSettingDeletesReadOnlyBackgroundListScriptAndMenuEntry) {
    ASSERT_TRUE(Run({L"INIT_DATA"}).finished);
    ASSERT_TRUE(MenuEntryExists());
    MakeFolders(folders.commonModules());
    const std::wstring list = folders.commonModules() + L"\\bkimglist.dat";
    ASSERT_TRUE(WriteFile(list, std::string(8, '\0')));
    ::SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFolders(folders.userModules());
    ASSERT_TRUE(WriteFile(folders.userModules() + L"\\bkimglist.dat", "user"));

    ProcessResult result = Run({L"-removesetting"});
    EXPECT_TRUE(result.finished && result.exitCode == 0);
    EXPECT_FALSE(FileExists(list));
    EXPECT_FALSE(FileExists(program / L"aiesc.html"));
    EXPECT_FALSE(MenuEntryExists());
    EXPECT_TRUE(FileExists(folders.userModules() + L"\\bkimglist.dat"));
}

TEST_F(StartupTest, WindowedStartOpensTheSettingsWindowAndSeedsUserData) {
    MakeFolders(folders.commonModules() + L"\\RSS\\Cache");
    WriteFile(folders.commonModules() + L"\\RSS\\Cache\\feed.xml", "<rss/>");
    WriteFile(folders.commonModules() + L"\\bkimglist.dat", "list");

    RunningProcess first(program.exe(), {});
    HWND window = WaitForWindow(first.id(), kSettingsWindowClass);
    ASSERT_NE(window, nullptr);
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    EXPECT_STREQ(title, L"Skylume Settings");
    EXPECT_TRUE(FileExists(folders.userModules() + L"\\RSS\\Cache\\feed.xml"));
    EXPECT_EQ(ReadFile(folders.userModules() + L"\\bkimglist.dat"), "list");

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Wait(10000), std::optional<DWORD>(0));
}

TEST_F(StartupTest, SecondWindowedStartRestoresAndRaisesTheFirstAndEnds) {
    RunningProcess first(program.exe(), {});
    HWND window = WaitForWindow(first.id(), kSettingsWindowClass);
    ASSERT_NE(window, nullptr);
    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window));

    ProcessResult second = Run({});
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(::GetForegroundWindow(), window);
    // The first window is still the only one.
    EXPECT_EQ(::FindWindowW(kSettingsWindowClass, nullptr), window);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.Wait(10000));
}

TEST_F(StartupTest, HaltClosesAWindowedInstanceAndForceEndsOneThatIgnoresClose) {
    TempFolder stubbornFolder(L"stubborn");
    ASSERT_TRUE(::CopyFileW((FolderOfThisExecutable() + L"\\stubborn_window.exe").c_str(),
                            (stubbornFolder / L"SkylumeSetting.exe").c_str(), FALSE));
    RunningProcess stubborn(stubbornFolder / L"SkylumeSetting.exe", {});
    ASSERT_NE(WaitForWindow(stubborn.id(), L"SkylumeTestStubbornWindow"), nullptr);
    RunningProcess windowed(program.exe(), {});
    ASSERT_NE(WaitForWindow(windowed.id(), kSettingsWindowClass), nullptr);

    const DWORD start = ::GetTickCount();
    ProcessResult halt = Run({L"/Halt"}, 30000);
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_TRUE(halt.finished);
    EXPECT_EQ(halt.exitCode, 0u);
    // Closed through WM_CLOSE: its own exit code. Ignoring WM_CLOSE: ended after the 5-second wait.
    EXPECT_EQ(windowed.Wait(1000), std::optional<DWORD>(0));
    EXPECT_EQ(stubborn.Wait(1000), std::optional<DWORD>(0xFFFFFFFF));
    EXPECT_GE(elapsed, 4900u);
}

TEST_F(StartupTest, OldFlashPlayerStillOpensTheWindow) {
    FlashPlayer old(0x00070000);
    RunningProcess process(program.exe(), {});
    HWND window = WaitForWindow(process.id(), kSettingsWindowClass);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process.Wait(10000));
}

TEST_F(StartupTest, MissingFlashPlayerShowsItsMessageAndEnds) {
    FlashPlayer none(std::nullopt);
    RunningProcess process(program.exe(), {});
    std::wstring text = DismissMessageBox(process);
    EXPECT_NE(text.find(L"Flash Player is not installed"), std::wstring::npos) << text;
    EXPECT_EQ(process.Wait(10000), std::optional<DWORD>(0));
    EXPECT_EQ(::FindWindowW(kSettingsWindowClass, nullptr), nullptr);
}

TEST_F(StartupTest, MissingLanguageLibraryShowsTheBuiltInTextAndEnds) {
    ASSERT_TRUE(::DeleteFileW((program / L"DaystreamSetting_usa.dll").c_str()));
    RunningProcess process(program.exe(), {});
    std::wstring text = DismissMessageBox(process);
    EXPECT_NE(text.find(L"Cannot start Daystream settings"), std::wstring::npos) << text;
    EXPECT_EQ(process.Wait(10000), std::optional<DWORD>(0));
}

// More than three arguments, two keywords together and words that are no keyword end at once and touch nothing.
TEST_F(StartupTest, TooManyOrOddArgumentsEndAtOnceAndTouchNothing) {
    const std::vector<std::vector<std::wstring>> cases = {
        {L"INIT_DATA", L"a", L"b"},  {L"INIT_DATA", L"HALT"},  {L""},
        {std::wstring(32000, L'A')}, {L"-\u65e5\u672c\u8a9e"}, {L"/"}};
    for (const auto& arguments : cases) {
        ProcessResult result = Run(arguments);
        SCOPED_TRACE(std::to_string(arguments.size()) + " arguments, the first " + std::to_string(arguments[0].size()) +
                     " characters long");
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_FALSE(FileExists(program / L"aiesc.html"));
        EXPECT_FALSE(MenuEntryExists());
        EXPECT_FALSE(FileExists(folders.appData() + L"\\Quillon"));
    }
}

TEST_F(StartupTest, KeywordJobsSurviveAMissingAllUsersTree) {
    DeleteTree(folders.commonAppData());
    EXPECT_TRUE(Run({L"REMOVESETTING"}).finished);
    EXPECT_TRUE(Run({L"INIT_DATA"}).finished);
    EXPECT_TRUE(FileExists(program / L"aiesc.html"));
}

TEST_F(StartupTest, UnwritablePerUserFolderEndsWithTheMissingFilesMessage) {
    // The per-user application-data folder is a file: nothing can be created below it, so no page can load.
    DeleteTree(folders.appData());
    ASSERT_TRUE(WriteFile(folders.appData(), "not a folder"));
    RunningProcess process(program.exe(), {});
    std::wstring text = DismissMessageBox(process);
    EXPECT_NE(text.find(L"required files are missing or damaged"), std::wstring::npos) << text;
    EXPECT_EQ(process.Wait(10000), std::optional<DWORD>(0));
}

} // namespace

// Which language the program runs in, and what it shows when that language's library is missing.
// The RussianSystem cases run in a process whose system locale is Russian (a ctest entry of their own).
#include "shell/folders.h"
#include "shell/language.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>

using namespace testenv;

namespace {

std::string DataFileWithLocale(const std::string& code) {
    return "<conf_data><modules/><locale>" + code + "</locale><background position=\"center\"/></conf_data>";
}

class LanguageChoice : public ::testing::Test {
protected:
    LanguageChoice() {
        Reset();
        MakeFolders(folders.commonModules());
    }
    ~LanguageChoice() override { Reset(); }
    static void Reset() {
        shell::ResetModulesFolderCache();
        shell::ResetLanguageIndexCache();
    }
    void WriteUserData(const std::string& xml) {
        MakeFolders(folders.userModules());
        ASSERT_TRUE(WriteFile(folders.userModules() + L"\\data.xml", xml));
    }
    void WriteCommonData(const std::string& xml) {
        ASSERT_TRUE(WriteFile(folders.commonModules() + L"\\data.xml", xml));
    }
    // The shipped defaults, so that a windowed run finds its pages' data.
    void InstallDefaults() { InstallShippedDefaults(folders); }
    win32::ComInit com;
    IsolatedFolders folders;
};

// Starts the windowed program and returns its window title (empty if no window came).
std::wstring WindowTitleOf(RunningProcess& process) {
    HWND window = WaitForWindow(process.id(), kSettingsWindowClass);
    if (!window)
        return L"";
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    process.Wait(10000);
    return title;
}

} // namespace

TEST(LanguageCodes, CodesAndLibraryNamesFollowTheIndex) {
    EXPECT_EQ(shell::GetLanguageCode(0), L"jpn");
    EXPECT_EQ(shell::GetLanguageCode(6), L"esp");
    EXPECT_EQ(shell::GetLanguageCode(7), L"rus");
    EXPECT_EQ(shell::GetLanguageCode(8), L"usa");
    EXPECT_EQ(shell::GetLanguageCode(-1), L"usa");
    const std::wstring folder = shell::GetProgramFolder();
    EXPECT_EQ(shell::GetLanguageLibraryName(0), folder + L"\\DaystreamSetting_jpn.dll");
    EXPECT_EQ(shell::GetLanguageLibraryName(1), folder + L"\\SkylumeSetting_fra.dll");
    EXPECT_EQ(shell::GetLanguageLibraryName(99), folder + L"\\DaystreamSetting_usa.dll");
}

TEST(LanguageCodes, OnlyExactLowerCaseCodesCount) {
    EXPECT_EQ(shell::LanguageIndexFromCode(L"rus"), 7);
    EXPECT_EQ(shell::LanguageIndexFromCode(L"gbr"), 2);
    EXPECT_EQ(shell::LanguageIndexFromCode(L"JPN"), -1);
    EXPECT_EQ(shell::LanguageIndexFromCode(L" jpn"), -1);
    EXPECT_EQ(shell::LanguageIndexFromCode(L""), -1);
}

TEST_F(LanguageChoice, SystemLocaleDecidesWithoutLocaleFiles) {
    ASSERT_EQ(::GetSystemDefaultLCID() & 0xFFFF, 0x0409u) << "the tests expect an English (US) system";
    EXPECT_EQ(shell::GetLanguageIndex(), 5);
    // Nothing is created just to look for the per-user file.
    EXPECT_FALSE(FileExists(folders.appData() + L"\\Quillon"));
}

TEST_F(LanguageChoice, PerUserLocaleWins) {
    WriteUserData(DataFileWithLocale("rus"));
    WriteCommonData(DataFileWithLocale("deu"));
    EXPECT_EQ(shell::GetLanguageIndex(), 7);
}

TEST_F(LanguageChoice, UnusablePerUserFileLetsTheAllUsersFileDecide) {
    WriteUserData(DataFileWithLocale("xyz"));
    WriteCommonData(DataFileWithLocale("deu"));
    EXPECT_EQ(shell::GetLanguageIndex(), 4);

    Reset();
    WriteUserData("<conf_data><locale>jpn</locale>");
    WriteCommonData(DataFileWithLocale("ita"));
    EXPECT_EQ(shell::GetLanguageIndex(), 3);
}

TEST_F(LanguageChoice, IndexIsComputedOnceForTheRun) {
    WriteUserData(DataFileWithLocale("fra"));
    EXPECT_EQ(shell::GetLanguageIndex(), 1);
    WriteUserData(DataFileWithLocale("esp"));
    EXPECT_EQ(shell::GetLanguageIndex(), 1);
}

TEST_F(LanguageChoice, LibrariesHoldTheTitleInTheirLanguage) {
    InstallDefaults();
    ProgramFolder program;
    WriteUserData(DataFileWithLocale("fra"));
    RunningProcess process(program.exe(), {});
    EXPECT_EQ(WindowTitleOf(process), L"Paramètres de Skylume");
}

TEST_F(LanguageChoice, MissingActiveLibraryShowsTheTextOfTheActiveLanguage) {
    ProgramFolder program;
    WriteUserData(DataFileWithLocale("fra"));
    ASSERT_TRUE(::DeleteFileW((program / L"SkylumeSetting_fra.dll").c_str()));
    RunningProcess process(program.exe(), {});
    const std::wstring text = AnswerMessageBox(WaitForWindow(process.id(), L"#32770"), IDOK);
    EXPECT_NE(text.find(L"Impossible de démarrer Skylume"), std::wstring::npos) << text;
    EXPECT_EQ(process.Wait(10000), std::optional<DWORD>(0));
}

TEST_F(LanguageChoice, SecondStartDoesNotFindAWindowTitledInAnotherLanguage) {
    InstallDefaults();
    ProgramFolder program;
    WriteUserData(DataFileWithLocale("deu"));
    RunningProcess first(program.exe(), {});
    HWND window = WaitForWindow(first.id(), kSettingsWindowClass);
    ASSERT_NE(window, nullptr);
    ::ShowWindow(window, SW_MINIMIZE);

    ProcessResult second = RunProgram(program.exe(), {});
    EXPECT_TRUE(second.finished);
    // The second run looked for the English title, found nothing, and left the German window alone.
    EXPECT_TRUE(::IsIconic(window));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    first.Wait(10000);
}

TEST_F(LanguageChoice, RussianSystemWithoutLocaleRunsInEnglish) {
    if ((::GetSystemDefaultLCID() & 0xFFFF) != 0x0419)
        GTEST_SKIP() << "runs in the Russian-locale entry";
    EXPECT_EQ(shell::GetSystemLanguageIndex(), 5);
    EXPECT_EQ(shell::GetLanguageIndex(), 5);
    InstallDefaults();
    ProgramFolder program;
    RunningProcess process(program.exe(), {});
    EXPECT_EQ(WindowTitleOf(process), L"Skylume Settings");
}

TEST_F(LanguageChoice, RussianSystemWithRussianLocaleRunsInRussian) {
    if ((::GetSystemDefaultLCID() & 0xFFFF) != 0x0419)
        GTEST_SKIP() << "runs in the Russian-locale entry";
    InstallDefaults();
    WriteUserData(DataFileWithLocale("rus"));
    EXPECT_EQ(shell::GetLanguageIndex(), 7);
    ProgramFolder program;
    RunningProcess process(program.exe(), {});
    EXPECT_EQ(WindowTitleOf(process), L"Настройки Skylume");
}

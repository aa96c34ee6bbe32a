// The built help file, and how the settings window opens it: with Wine's own viewer, and with a viewer stand-in
// that records which topic each page asked for.
#include "chm_directory.h"
#include "test_env.h"
#include "ui/categories.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

using namespace testenv;

namespace {

constexpr int kCategoryList = 1001, kHelpButton = 1000;

std::wstring BuiltHelpFile(const wchar_t* name = L"Skylume.chm") {
    return FolderOfThisExecutable() + L"\\" + name;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::set<std::string> TopicNames(const std::vector<ChmEntry>& entries) {
    std::set<std::string> names;
    for (const ChmEntry& entry : entries)
        names.insert(entry.name);
    return names;
}

} // namespace

class HelpFileTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(HelpFileTest, EveryTopicOfTheCategoryTableIsInTheBuiltHelpFile) {
    const auto bytes = ReadFile(BuiltHelpFile(GetParam()));
    ASSERT_TRUE(bytes.has_value());
    const auto directory = ReadChmDirectory(*bytes);
    ASSERT_TRUE(directory.has_value());
    const std::set<std::string> names = TopicNames(*directory);
    for (int category = kCategoryGeneral; category <= kCategoryAdditionalModule; ++category) {
        const std::string topic = Narrow(HelpTopicOfCategory(category));
        EXPECT_EQ(names.count(topic), 1u) << topic;
        for (const ChmEntry& entry : *directory) {
            if (entry.name == topic) {
                EXPECT_GT(entry.length, 900u) << topic << " describes its page";
            }
        }
    }
    EXPECT_EQ(names.count(Narrow(kDefaultHelpTopic)), 1u);
    EXPECT_EQ(names.count("/html/T999NONE.htm"), 0u);
}

INSTANTIATE_TEST_SUITE_P(EnglishAndJapanese, HelpFileTest, ::testing::Values(L"Skylume.chm", L"Skylume_jpn.chm"));

TEST(HelpFileDirectoryTest, DamagedFilesHaveNoDirectory) {
    const std::string bytes = ReadFile(BuiltHelpFile()).value_or("");
    ASSERT_GT(bytes.size(), 0x200u);
    EXPECT_FALSE(ReadChmDirectory("").has_value());
    EXPECT_FALSE(ReadChmDirectory(bytes.substr(0, 0x60)).has_value()) << "cut inside the directory";
    std::string renamed = bytes;
    renamed[0] = 'X';
    EXPECT_FALSE(ReadChmDirectory(renamed).has_value());
    // A directory that claims more chunks than the file holds.
    std::string overlong = bytes;
    const size_t directory =
        size_t(static_cast<unsigned char>(bytes[0x48])) | size_t(static_cast<unsigned char>(bytes[0x49])) << 8;
    ASSERT_EQ(overlong.compare(directory, 4, "ITSP"), 0);
    overlong[directory + 0x2C] = char(0x7F);
    EXPECT_FALSE(ReadChmDirectory(overlong).has_value());
}

namespace {

// A settings window whose "ApplicationPath" names a display program in the program folder, beside the help file.
class HelpOpeningTest : public ::testing::Test {
protected:
    HelpOpeningTest() {
        // Every shipped default, so that every page the program has can load.
        InstallShippedDefaults(folders);
        MakeFolders(folders.commonModules() + L"\\Visualizer");
        WriteFile(folders.commonModules() + L"\\Visualizer\\module-sub.swf", "FWS");
        ::CopyFileW(BuiltHelpFile().c_str(), (program / L"Skylume.chm").c_str(), FALSE);
        SetApplicationPath(program / L"Skylume.exe");
    }
    static void SetApplicationPath(const std::wstring& path) {
        SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Tessel", L"ApplicationPath", path);
    }
    HWND Open() { return OpenSettingsWindow(program.exe(), process); }
    void Close(HWND window) {
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        process->Wait(10000);
    }
    static int CategoryCount(HWND window) {
        return int(::SendMessageW(::GetDlgItem(window, kCategoryList), LB_GETCOUNT, 0, 0));
    }
    // Selects a category and answers the title the window shows for it.
    static std::wstring SelectCategory(HWND window, int index) {
        HWND list = ::GetDlgItem(window, kCategoryList);
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCategoryList, LBN_SELCHANGE), LPARAM(list));
        wchar_t title[128] = {};
        ::GetWindowTextW(::FindWindowExW(window, nullptr, L"SkylumeConfigItemWindow", nullptr), title, 128);
        return title;
    }
    // F1 pressed with the focus on the page's first control, as a user would.
    static void PressF1OnPage(HWND window, DWORD settleMs = 300) {
        ::SetForegroundWindow(window);
        HWND page = CurrentPage(window);
        HWND first = ::GetNextDlgTabItem(page, nullptr, FALSE);
        ::SendMessageW(page, WM_NEXTDLGCTL, WPARAM(first ? first : page), TRUE);
        TypeChord({VK_F1}, settleMs);
    }

    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    RegistryKeyCleaner machineKey{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Tessel"};
    std::unique_ptr<RunningProcess> process;
};

// A visible top-level window of Wine's HTML Help viewer in that process.
HWND FindViewer(DWORD process, DWORD timeoutMs) {
    return WaitForTopLevel(
        process, [](HWND window) { return ClassOf(window) == L"HH Parent"; }, timeoutMs);
}

} // namespace

TEST_F(HelpOpeningTest, HelpButtonAndF1OpenTheHelpFileInTheSystemViewer) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_COMMAND, kHelpButton, 0);
    HWND viewer = FindViewer(process->id(), 10000);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(TextOf(viewer), L"Skylume Help") << "the viewer shows the installed help file";
    ::SendMessageW(viewer, WM_CLOSE, 0, 0);
    ASSERT_EQ(FindViewer(process->id(), 0), nullptr);

    PressF1OnPage(window);
    viewer = FindViewer(process->id(), 10000);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(TextOf(viewer), L"Skylume Help");
    ::SendMessageW(viewer, WM_CLOSE, 0, 0);
    Close(window);
}

TEST_F(HelpOpeningTest, WithoutTheHelpFileHelpOpensNothing) {
    ::DeleteFileW((program / L"Skylume.chm").c_str());
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_COMMAND, kHelpButton, 0);
    PressF1OnPage(window);
    EXPECT_EQ(FindViewer(process->id(), 2000), nullptr);
    EXPECT_NE(::FindWindowW(kSettingsWindowClass, nullptr), nullptr) << "the window is still open";
    Close(window);
}

namespace {

// The topic each page's help should open, found by a word of the page's English title; additional modules (no
// known word) share the overview topic.
std::wstring ExpectedTopic(const std::wstring& title) {
    static const std::pair<const wchar_t*, int> kTitleWords[] = {
        {L"General", kCategoryGeneral},   {L"Display", kCategoryDisplay},
        {L"Wake", kCategoryWakeup},       {L"Version", kCategoryVersion},
        {L"Clock", kCategoryClock},       {L"Photo", kCategoryPhoto},
        {L"News", kCategoryNews},         {L"Music", kCategoryMusic},
        {L"Calendar", kCategoryCalendar}, {L"Visualizer", kCategoryVisualizer}};
    for (const auto& [word, category] : kTitleWords)
        if (title.find(word) != std::wstring::npos)
            return HelpTopicOfCategory(category);
    return HelpTopicOfCategory(kCategoryAdditionalModule);
}

// Puts the recording viewer beside the program, where the loader finds it before the system's.
class RecordedTopicTest : public HelpOpeningTest {
protected:
    RecordedTopicTest() {
        ::CopyFileW((FolderOfThisExecutable() + L"\\help-viewer-stand-in\\hhctrl.ocx").c_str(),
                    (program / L"hhctrl.ocx").c_str(), FALSE);
        SetRegistryText(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\HelpViewer", L"Log", LogPath());
        // Wine prefers its own viewer even beside the program unless told otherwise for this program.
        SetRegistryText(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\SkylumeSetting.exe\\DllOverrides",
                        L"hhctrl.ocx", L"native");
    }
    std::wstring LogPath() const { return log / L"topics.txt"; }
    // The lines recorded since the last call, once there is one (the viewer writes each line whole). A line that
    // comes later, as a second opening would, is left for the next call.
    std::string TakeRecorded() {
        std::string text;
        for (int i = 0; i < 250 && !text.ends_with('\n'); ++i, ::Sleep(20))
            text = ReadFile(LogPath()).value_or("");
        for (int i = 0; i < 50 && !::DeleteFileW(LogPath().c_str()) && FileExists(LogPath()); ++i)
            ::Sleep(20); // the viewer may still hold the file
        return text;
    }

    TempFolder log{L"help-viewer"};
    RegistryKeyCleaner standIn{HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\HelpViewer"};
    RegistryKeyCleaner wineOverride{HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\SkylumeSetting.exe"};
};

} // namespace

// F1 from inside the page, from the category list and from OK, and the Help button, all open the page's topic.
TEST_F(RecordedTopicTest, EachPageOpensItsOwnTopicByF1AndByTheHelpButton) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    const std::string helpFile = Narrow(program / L"Skylume.chm");
    const int count = CategoryCount(window);
    ASSERT_GE(count, 3) << "General, Version and Visualizer at least";
    std::set<std::wstring> seenTopics;
    for (int index = 0; index < count; ++index) {
        const std::wstring title = SelectCategory(window, index);
        ASSERT_FALSE(title.empty()) << index;
        const std::string expected = helpFile + "::" + Narrow(ExpectedTopic(title)) + "\r\n";
        seenTopics.insert(ExpectedTopic(title));

        ::PostMessageW(window, WM_COMMAND, kHelpButton, 0);
        EXPECT_EQ(TakeRecorded(), expected) << "Help on " << Narrow(title);
        PressF1OnPage(window, 0);
        EXPECT_EQ(TakeRecorded(), expected) << "F1 on " << Narrow(title);
        ::SendMessageW(window, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(window, kCategoryList)), TRUE);
        TypeChord({VK_F1}, 0);
        EXPECT_EQ(TakeRecorded(), expected) << "F1 on the category list at " << Narrow(title);
        ::SendMessageW(window, WM_NEXTDLGCTL, WPARAM(::GetDlgItem(window, IDOK)), TRUE);
        TypeChord({VK_F1}, 0);
        EXPECT_EQ(TakeRecorded(), expected) << "F1 on OK at " << Narrow(title);
    }
    ::Sleep(300);
    EXPECT_FALSE(FileExists(LogPath())) << "no help was opened twice";
    EXPECT_GE(seenTopics.size(), 2u) << "pages of different categories open different topics";
    Close(window);
}

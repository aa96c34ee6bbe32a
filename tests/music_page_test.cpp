// The music page of the real program: its data file, and its folder list through the shell's folder browser and
// the folder watcher stand-in.
#include "music_stand_ins.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>

using namespace testenv;
using Lines = std::vector<std::wstring>;

namespace {

constexpr int kFolderList = 1057, kAdd = 1058, kRemove = 1059, kAutoplay = 1062, kJacket = 1016, kAddGroup = 1056;
// The wake-up page's hour list and its album and song lists.
constexpr int kWakeupHour = 1048, kWakeupAlbum = 1018, kWakeupSong = 1021;

// A top-level dialog of the process: the folder browser (it has a tree) or a message box (it has none).
HWND WaitForDialog(DWORD processId, bool browser, DWORD timeoutMs = 10000) {
    return WaitForTopLevel(
        processId,
        [browser](HWND window) {
            const bool hasTree = ::FindWindowExW(window, nullptr, L"SysTreeView32", nullptr) != nullptr;
            return ClassOf(window) == L"#32770" && hasTree == browser;
        },
        timeoutMs);
}

class MusicPageTest : public ::testing::Test {
protected:
    MusicPageTest() {
        InstallShippedDefaults(folders);
        MakeFolders(root + L"\\A\\B\\D");
        MakeFolders(root + L"\\A\\C");
    }
    ~MusicPageTest() override {
        process.reset();
        DeleteTree(root);
    }
    std::wstring MusicData() const { return folders.userModules() + L"\\Music\\data.xml"; }
    void WriteMusicData(const std::string& xml) {
        MakeFolders(folders.userModules() + L"\\Music");
        ASSERT_TRUE(WriteFile(MusicData(), xml));
    }
    // Starts the program and returns the music page once the window is ready.
    HWND OpenPage() {
        window = OpenSettingsWindow(program.exe(), process);
        return page = FindPage(window, {kFolderList});
    }
    void Click(int id) { ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(page, id))); }
    // Adds a folder through the browser; returns the text of the message box that follows, if any.
    std::wstring AddThroughBrowser(const std::wstring& path) {
        Click(kAdd);
        HWND browser = WaitForDialog(process->id(), true);
        if (!browser)
            return L"(no browser)";
        ChooseFolderInBrowser(process->id(), browser, path);
        HWND box = WaitForDialog(process->id(), false, 1500);
        return box ? AnswerMessageBox(box, IDOK) : L"";
    }
    Lines ListedFolders() const {
        HWND list = ::GetDlgItem(page, kFolderList);
        Lines folders;
        const int count = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            folders.push_back(ItemText(list, i));
        return folders;
    }
    // The item text is read across processes through a buffer in the program's own memory.
    std::wstring ItemText(HWND list, int index) const {
        constexpr int kLongest = 1024;
        HANDLE target = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process->id());
        const SIZE_T size = sizeof(LVITEMW) + kLongest * sizeof(wchar_t);
        auto* remote = static_cast<BYTE*>(::VirtualAllocEx(target, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        LVITEMW item = {};
        item.iSubItem = 0;
        item.cchTextMax = kLongest;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        ::WriteProcessMemory(target, remote, &item, sizeof(item), nullptr);
        ::SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(remote));
        wchar_t text[kLongest] = {};
        ::ReadProcessMemory(target, remote + sizeof(LVITEMW), text, sizeof(text), nullptr);
        ::VirtualFreeEx(target, remote, 0, MEM_RELEASE);
        ::CloseHandle(target);
        return text;
    }
    std::optional<DWORD> PressOk() {
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        return process->Wait(10000);
    }

    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    MusicStandIns standIns;
    const std::wstring root = L"C:\\SkylumeMusicPage" + std::to_wstring(::GetCurrentProcessId());
    std::unique_ptr<RunningProcess> process;
    HWND window = nullptr;
    HWND page = nullptr;
};

} // namespace

TEST_F(MusicPageTest, SpectrumIsKeptAndMainRepeatsSub) {
    WriteMusicData("<conf_data><sub><spectrum>true</spectrum><jacket>True</jacket><autoplay>true</autoplay></sub>"
                   "<main><spectrum>false</spectrum></main><other>dropped</other></conf_data>");
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kJacket), BM_GETCHECK, 0, 0), BST_UNCHECKED) << "\"True\" reads as off";
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kAutoplay), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(::GetDlgItem(page, kAutoplay), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    const std::string saved = WithoutCr(ReadFile(MusicData()).value_or(""));
    const std::string part =
        "\t\t<spectrum>true</spectrum>\n\t\t<jacket>false</jacket>\n\t\t<autoplay>false</autoplay>\n\t";
    const std::string expected =
        "<conf_data>\n\t<sub>\n" + part + "</sub>\n\n\t<main>\n" + part + "</main>\n</conf_data>";
    EXPECT_NE(saved.find(expected), std::string::npos) << saved;
    EXPECT_EQ(saved.find("dropped"), std::string::npos);
    const std::string cmf = ReadFile(folders.userModules() + L"\\cmf.dat").value_or("");
    EXPECT_NE(cmf.find(std::string("M\0u\0s\0i\0c\0", 10)), std::string::npos);
}

TEST_F(MusicPageTest, AddingListedNestedAndParentFoldersFollowsTheRules) {
    standIns.SetFolders({root + L"\\A\\B", root + L"\\A\\C"});
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(ListedFolders(), (Lines{root + L"\\A\\B", root + L"\\A\\C"}));
    EXPECT_NE(AddThroughBrowser(root + L"\\A\\B").find(L"already in the list"), std::wstring::npos);
    EXPECT_NE(AddThroughBrowser(root + L"\\A\\B\\D").find(L"will not be added"), std::wstring::npos);
    EXPECT_EQ(ListedFolders(), (Lines{root + L"\\A\\B", root + L"\\A\\C"}));
    EXPECT_NE(AddThroughBrowser(root + L"\\A").find(L"will be removed from the list"), std::wstring::npos);
    EXPECT_EQ(ListedFolders(), (Lines{root + L"\\A"}));
    EXPECT_TRUE(standIns.Calls().empty()) << "nothing reaches the service before OK";
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(standIns.Folders(), (Lines{root + L"\\A"}));
    EXPECT_EQ(standIns.Calls(),
              (Lines{L"prepare-unregister\tSkylume\t" + root + L"\\A\\B", L"unregister\tSkylume\t" + root + L"\\A\\B",
                     L"prepare-unregister\tSkylume\t" + root + L"\\A\\C", L"unregister\tSkylume\t" + root + L"\\A\\C",
                     L"register\tSkylume\t" + root + L"\\A", L"refresh\tSkylume\t" + root + L"\\A"}));
}

TEST_F(MusicPageTest, AddingAListedFolderAgainStillCountsAsAChange) {
    standIns.SetFolders({root + L"\\A"});
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_NE(AddThroughBrowser(root + L"\\A").find(L"already in the list"), std::wstring::npos);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_TRUE(standIns.Calls().empty());
    const std::string cmf = ReadFile(folders.userModules() + L"\\cmf.dat").value_or("");
    EXPECT_NE(cmf.find(std::string("M\0u\0s\0i\0c\0", 10)), std::string::npos) << "the page was saved";
}

// A folder path longer than MAX_PATH is removed like any other. The page's file, lacking an element, gave way to
// the default and was kept beside it.
TEST_F(MusicPageTest, RemovingALongPathAsksFirstAndUnregistersAtOk) {
    const std::wstring longPath = root + L"\\A\\" + std::wstring(300, L'c');
    standIns.SetFolders({root + L"\\A\\B", longPath});
    const std::string lacking = "<conf_data><sub><spectrum>true</spectrum><jacket>false</jacket></sub></conf_data>";
    WriteMusicData(lacking);
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(ReadFile(MusicData() + L".bad"), lacking);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kJacket), BM_GETCHECK, 0, 0), BST_CHECKED) << "the default's";
    HWND list = ::GetDlgItem(page, kFolderList);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, kRemove))) << "nothing selected";
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED;
    HANDLE target = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process->id());
    void* remote = ::VirtualAllocEx(target, nullptr, sizeof(state), MEM_COMMIT, PAGE_READWRITE);
    ::WriteProcessMemory(target, remote, &state, sizeof(state), nullptr);
    ::SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(remote));
    ::VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    ::CloseHandle(target);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, kRemove)));

    Click(kRemove);
    EXPECT_NE(
        AnswerMessageBox(WaitForDialog(process->id(), false), IDNO).find(L"other programs that share this setting"),
        std::wstring::npos);
    EXPECT_EQ(ListedFolders().size(), 2u) << "No keeps the list";
    Click(kRemove);
    EXPECT_NE(AnswerMessageBox(WaitForDialog(process->id(), false), IDYES), L"(no message box)");
    EXPECT_EQ(ListedFolders(), (Lines{root + L"\\A\\B"}));
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(standIns.Folders(), (Lines{root + L"\\A\\B"}));
}

// Without the media software the window still opens, as fast as with it (timed by bench/run-music): the music
// page without its folder controls, the wake-up page with no music to offer.
TEST_F(MusicPageTest, WithoutTheMediaSoftwareThePagesOfferNoMusicAndTheSwitchesStillSave) {
    // Music the stand-ins would offer if they still answered.
    standIns.SetFixture(
        {L"song\tt1\tC:\\Music\\1.mp3\tOne\tAlbum\tAbba\tAbba\tA1", L"db-album\tOther\tAbba\tA\t0\t~\t~\t~\t"});
    standIns.Unregister();
    ASSERT_NE(OpenPage(), nullptr);
    for (int id : {kAddGroup, kFolderList, kAdd, kRemove})
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, id))) << id;
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, kJacket)));
    HWND wakeup = FindPage(window, {kWakeupHour});
    ASSERT_NE(wakeup, nullptr);
    EXPECT_EQ(::SendDlgItemMessageW(wakeup, kWakeupAlbum, CB_GETCOUNT, 0, 0), 1) << "only the entry for no album";
    EXPECT_EQ(::SendDlgItemMessageW(wakeup, kWakeupSong, CB_GETCOUNT, 0, 0), 1) << "only the entry for no title";
    ::SendMessageW(::GetDlgItem(page, kAutoplay), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_NE(ReadFile(MusicData()).value_or("").find("<autoplay>true</autoplay>"), std::string::npos);
}

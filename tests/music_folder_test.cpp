// The music folder list against the folder watcher stand-in, the exclusion rules, and the shell's folder
// browser refusing folders as the user would see it.
#include "music_stand_ins.h"
#include "pages/music/folder_exclusion.h"
#include "pages/music/folder_relations.h"
#include "pages/music/music_folder_list.h"
#include "res/resource.h"
#include "test_env.h"
#include "win32/app.h"
#include "win32/com.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

using namespace testenv;
using Lines = std::vector<std::wstring>;

namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

class FolderListTest : public ::testing::Test {
protected:
    CMusicFolderList OpenList() {
        CMusicFolderList list;
        list.Open(L"Skylume");
        return list;
    }
    Lines Current(const CMusicFolderList& list) {
        Lines folders;
        list.GetFolders(folders);
        return folders;
    }

    win32::ComInit com;
    MusicStandIns standIns;
};

} // namespace

TEST_F(FolderListTest, PathRelationsFollowTheRelativePath) {
    CMusicFolderList list;
    // Two folders whose paths differ only past MAX_PATH.
    const std::wstring deep = L"D:\\" + std::wstring(270, L'd');
    standIns.SetFolders({L"D:\\A\\B", L"D:\\A\\C", L"E:\\Music", deep + L"\\One", L"\\\\server\\share\\Music"});
    list.Open(L"Skylume");
    EXPECT_TRUE(list.IsListed(deep + L"\\one\\"));
    EXPECT_FALSE(list.IsListed(deep + L"\\Two"));
    EXPECT_TRUE(list.IsInsideListed(deep + L"\\One\\Live"));
    EXPECT_TRUE(list.IsInsideListed(L"\\\\SERVER\\share\\Music\\Live"));
    EXPECT_FALSE(list.IsInsideListed(L"\\\\other\\share\\Music\\Live")) << "another server is unrelated";
    EXPECT_TRUE(list.IsListed(L"d:\\a\\b"));
    EXPECT_FALSE(list.IsListed(L"D:\\A"));
    EXPECT_TRUE(list.IsInsideListed(L"D:\\A\\B\\Live"));
    EXPECT_FALSE(list.IsInsideListed(L"D:\\A\\BB"));
    EXPECT_TRUE(list.HasListedSubfolders(L"D:\\A"));
    EXPECT_FALSE(list.HasListedSubfolders(L"C:\\A")) << "other drives are unrelated";
    list.Add(L"D:\\A");
    EXPECT_EQ(Current(list), (Lines{L"E:\\Music", deep + L"\\One", L"\\\\server\\share\\Music", L"D:\\A"}));
}

TEST_F(FolderListTest, OpenAsksAgainUntilTheServiceIsReady) {
    standIns.SetFolders({L"C:\\One", L"C:\\Two"});
    standIns.SetSwitch(L"FolderWatcher", L"NotReadyCount", 3);
    CMusicFolderList list = OpenList();
    EXPECT_EQ(Current(list), (Lines{L"C:\\One", L"C:\\Two"}));
    EXPECT_EQ(standIns.Switch(L"FolderWatcher", L"NotReadyCount"), std::optional<DWORD>(0));
}

TEST_F(FolderListTest, MissingServiceThrowsAndMarksTheListUnavailable) {
    standIns.SetSwitch(L"FolderWatcher", L"Off", 1);
    CMusicFolderList list;
    try {
        list.Open(L"Skylume");
        FAIL() << "no exception";
    } catch (const FolderException& error) {
        EXPECT_EQ(error.message(), L"Folder Watcher CoCreateInstanceFailed");
    }
    EXPECT_TRUE(list.IsUnavailable());
    list.Remove(L"C:\\Kept");
    list.Add(L"C:\\New");
    list.Apply();
    EXPECT_TRUE(standIns.Calls().empty()) << "an unavailable list pushes nothing";
}

TEST_F(FolderListTest, ApplyPushesExactlyTheDifference) {
    standIns.SetFolders({L"C:\\Keep", L"C:\\Drop", L"C:\\Also"});
    CMusicFolderList list = OpenList();
    list.Remove(L"C:\\Drop");
    list.Add(L"C:\\New1");
    list.Add(L"C:\\New2");
    list.Apply();
    EXPECT_EQ(standIns.Calls(), (Lines{L"prepare-unregister\tSkylume\tC:\\Drop", L"unregister\tSkylume\tC:\\Drop",
                                       L"register\tSkylume\tC:\\New1", L"register\tSkylume\tC:\\New2",
                                       L"refresh\tSkylume\tC:\\New1", L"refresh\tSkylume\tC:\\New2"}));
    EXPECT_EQ(standIns.Folders(), (Lines{L"C:\\Keep", L"C:\\Also", L"C:\\New1", L"C:\\New2"}));
}

TEST_F(FolderListTest, RemovingAndAddingBackLeavesTheServiceUntouched) {
    standIns.SetFolders({L"C:\\Keep", L"C:\\Back"});
    CMusicFolderList list = OpenList();
    list.Remove(L"C:\\Back");
    list.Add(L"C:\\Back");
    list.Apply();
    EXPECT_TRUE(standIns.Calls().empty());
    EXPECT_EQ(standIns.Folders(), (Lines{L"C:\\Keep", L"C:\\Back"}));
}

TEST_F(FolderListTest, FailuresAreCaughtPerFolderAndTheFirstRefreshFailureEndsRefreshing) {
    standIns.SetFolders({L"C:\\Old1", L"C:\\Old2"});
    standIns.SetText(L"FolderWatcher", L"FailUnregister", L"C:\\Old1");
    standIns.SetText(L"FolderWatcher", L"FailRegister", L"C:\\New1");
    standIns.SetText(L"FolderWatcher", L"FailRefresh", L"C:\\New1");
    CMusicFolderList list = OpenList();
    list.Remove(L"C:\\Old1");
    list.Remove(L"C:\\Old2");
    list.Add(L"C:\\New1");
    list.Add(L"C:\\New2");
    list.Apply();
    EXPECT_EQ(standIns.Calls(),
              (Lines{L"prepare-unregister\tSkylume\tC:\\Old1", L"unregister\tSkylume\tC:\\Old1",
                     L"prepare-unregister\tSkylume\tC:\\Old2", L"unregister\tSkylume\tC:\\Old2",
                     L"register\tSkylume\tC:\\New1", L"register\tSkylume\tC:\\New2", L"refresh\tSkylume\tC:\\New1"}));
    EXPECT_EQ(standIns.Folders(), (Lines{L"C:\\Old1", L"C:\\New2"}));
}

TEST(FolderRelations, InsideAndFirstLevel) {
    EXPECT_TRUE(music::IsInsideOrEqual(L"C:\\Music\\Rock", L"c:\\music\\"));
    EXPECT_TRUE(music::IsInsideOrEqual(L"C:\\Music", L"C:\\Music"));
    EXPECT_FALSE(music::IsInsideOrEqual(L"C:\\Musical", L"C:\\Music"));
    EXPECT_EQ(music::FirstLevelFolder(L"C:\\Music\\Rec"), L"C:\\Music\\");
    EXPECT_EQ(music::FirstLevelFolder(L"C:\\Music"), L"C:\\Music\\");
}

namespace {

// Registry keys of the media-centre and media-server software, written by the test and removed afterwards.
class ExclusionTest : public ::testing::Test {
protected:
    ExclusionTest() {
        testenv::MakeFolders(root_);
        testenv::MakeFolders(root_ + L"\\Songs");
    }
    ~ExclusionTest() override { DeleteTree(root_); }
    bool Allowed(const std::wstring& path, std::optional<unsigned long> bus = std::nullopt) {
        return music::IsFolderAllowed(path, [bus](wchar_t) { return bus; });
    }

    const std::wstring root_ = L"C:\\SkylumeMusicTest" + std::to_wstring(::GetCurrentProcessId());
    RegistryKeyCleaner pennard{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Pennard"};
    RegistryKeyCleaner platform{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Orvella Platform"};
    RegistryKeyCleaner centre{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Orvella"};
};

} // namespace

TEST_F(ExclusionTest, DriveRootsAndRemovableBusesAreRefused) {
    EXPECT_TRUE(Allowed(root_));
    EXPECT_FALSE(Allowed(L"C:\\"));
    EXPECT_FALSE(Allowed(L"c:\\"));
    EXPECT_FALSE(Allowed(root_, music::kBusTypeUsb));
    EXPECT_FALSE(Allowed(root_, music::kBusType1394));
    EXPECT_TRUE(Allowed(root_, 1)) << "SCSI counts as fixed";
    EXPECT_TRUE(Allowed(root_, 8)) << "RAID counts as fixed";
}

TEST_F(ExclusionTest, MediaCentreFolderRefusesItsWholeFirstLevelFolder) {
    SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Orvella\\1.0\\System", L"RecordingFolder",
                    root_ + L"\\Rec");
    EXPECT_FALSE(Allowed(root_));
    EXPECT_FALSE(Allowed(root_ + L"\\Songs"));
    EXPECT_TRUE(Allowed(root_ + L"Other"));
}

TEST_F(ExclusionTest, RegistryListsAndUploadRootRefuseTheirFolders) {
    SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Pennard", L"UploadRoot", root_ + L"\\Upload");
    SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Orvella Platform\\1.0\\Qbfw\\Excluded\\Hidden",
                    L"any name", root_ + L"\\Hidden");
    SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Orvella Platform\\1.0\\Qbfw\\Excluded\\Inhibited", L"x",
                    root_ + L"\\No");
    EXPECT_FALSE(Allowed(root_ + L"\\Upload\\Inside"));
    EXPECT_FALSE(Allowed(root_ + L"\\HIDDEN"));
    EXPECT_FALSE(Allowed(root_ + L"\\No\\Deeper"));
    EXPECT_TRUE(Allowed(root_ + L"\\Nothing"));
    EXPECT_TRUE(Allowed(root_ + L"\\Songs"));
}

TEST_F(ExclusionTest, OtherProfilesAndSystemFoldersAreRefusedTheUsersOwnFoldersAllowed) {
    const std::wstring documents = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    const std::wstring profiles = documents.substr(0, documents.find(L'\\', 3));
    EXPECT_FALSE(Allowed(profiles + L"\\SomeoneElse\\Music"));
    EXPECT_FALSE(Allowed(profiles));
    EXPECT_FALSE(Allowed(ShellFolder(CSIDL_WINDOWS) + L"\\Media"));
    EXPECT_FALSE(Allowed(ShellFolder(CSIDL_PROGRAM_FILES) + L"\\Player"));
    EXPECT_TRUE(Allowed(ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Songs"));
    EXPECT_TRUE(Allowed(ShellFolder(CSIDL_PERSONAL)));
    EXPECT_TRUE(Allowed(documents + L"\\Music"));
}

namespace {

// The folder browser runs on a thread of its own, as a modal dialog; the test selects folders in it by the
// browser's own message and reads what it shows.
class BrowserTest : public ExclusionTest {
protected:
    BrowserTest() {
        library_ = ::LoadLibraryExW((FolderOfThisExecutable() + L"\\DaystreamSetting_usa.dll").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
        app_.setResourceHandle(library_);
    }
    ~BrowserTest() override {
        if (browser_.joinable()) {
            ::PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
            browser_.join();
        }
        app_.setResourceHandle(nullptr);
        ::FreeLibrary(library_);
    }
    HWND Open(const CMusicFolderList& list) {
        browser_ = std::thread([this, &list] {
            win32::ComInit com;
            chosen_ = list.BrowseForFolder(nullptr, L"Choose a music folder");
        });
        dialog_ = WaitForWindow(::GetCurrentProcessId(), L"#32770", 10000);
        return dialog_;
    }
    void Select(const std::wstring& path) {
        ::SendMessageW(dialog_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        ::Sleep(100);
    }
    // Every text the dialog shows.
    std::wstring Texts() const {
        std::wstring all;
        for (HWND child = ::GetWindow(dialog_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            all += TextOf(child) + L"|";
        return all;
    }
    bool OkEnabled() const { return ::IsWindowEnabled(::GetDlgItem(dialog_, IDOK)) != FALSE; }
    std::wstring Close(int button) {
        ::PostMessageW(dialog_, WM_COMMAND, button, 0);
        browser_.join();
        return chosen_;
    }

    win32::WinApp app_;
    HMODULE library_ = nullptr;
    win32::ComInit com_;
    std::thread browser_;
    HWND dialog_ = nullptr;
    std::wstring chosen_;
};

} // namespace

TEST_F(BrowserTest, RefusedFoldersShowTheMessageAndDisableOk) {
    SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Orvella\\1.0\\System", L"RecordingFolder",
                    root_ + L"Tv\\Rec");
    testenv::MakeFolders(root_ + L"Tv\\Shows");
    const std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\SkylumeSongs";
    testenv::MakeFolders(desktop);
    const std::wstring documents = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    const std::wstring otherProfile = documents.substr(0, documents.find(L'\\', 3)) + L"\\SkylumeOtherUser";
    testenv::MakeFolders(otherProfile + L"\\Music");
    CMusicFolderList list;
    ASSERT_NE(Open(list), nullptr);
    const std::wstring refused = L"This folder cannot be selected.";

    for (const std::wstring& folder : {std::wstring(L"C:\\"), otherProfile + L"\\Music", root_ + L"Tv\\Shows"}) {
        Select(folder);
        EXPECT_NE(Texts().find(refused), std::wstring::npos) << Texts();
        EXPECT_FALSE(OkEnabled());
    }
    Select(desktop);
    EXPECT_EQ(Texts().find(refused), std::wstring::npos) << Texts();
    EXPECT_NE(Texts().find(desktop), std::wstring::npos) << "the status line shows the path: " << Texts();
    EXPECT_TRUE(OkEnabled());
    Select(root_ + L"\\Songs");
    EXPECT_TRUE(OkEnabled());
    EXPECT_EQ(Close(IDOK), root_ + L"\\Songs");
    DeleteTree(desktop);
    DeleteTree(otherProfile);
    DeleteTree(root_ + L"Tv");
}

TEST_F(BrowserTest, UsbDriveFromTheVolumeQueryIsRefusedAndCancelReturnsNothing) {
    CMusicFolderList list;
    list.SetBusTypeQuery([](wchar_t drive) -> std::optional<unsigned long> {
        return drive == L'C' || drive == L'c' ? std::optional<unsigned long>(music::kBusTypeUsb) : std::nullopt;
    });
    ASSERT_NE(Open(list), nullptr);
    Select(root_ + L"\\Songs");
    EXPECT_NE(Texts().find(L"This folder cannot be selected."), std::wstring::npos) << Texts();
    EXPECT_FALSE(OkEnabled());
    EXPECT_EQ(Close(IDCANCEL), L"");
}

// The wake-up timer page of the real program: the schedule in the registry, the 12- and 24-hour clocks, the
// Startup shortcut read back through the shell, the wake-up program started and told, and the music lists.
#include "music_stand_ins.h"
#include "pages/wakeup_timer/wakeup_schedule.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace testenv;

namespace {

constexpr wchar_t kTimerKey[] = L"Software\\Quillon\\Tessel\\Timer";
constexpr int kEnable = 1016, kHour = 1048, kMinute = 1022, kAmPm = 1055, kMonday = 1049, kSaturday = 1029,
              kSunday = 1030, kAlbum = 1018, kSong = 1021, kSetVolume = 1031, kVolume = 1020;

std::vector<BYTE> Bytes(std::initializer_list<DWORD> values) {
    std::vector<BYTE> bytes;
    for (DWORD value : values)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(BYTE(value >> (8 * i)));
    return bytes;
}

// The user's Startup folder pointed at a fresh folder for the life of the object.
class StartupFolder {
public:
    std::wstring Shortcut() const { return folder_ / L"SkylumeWakeup.lnk"; }

private:
    TempFolder folder_{L"startup"};
    ShellFolderRedirect redirect_{
        HKEY_CURRENT_USER, L"Startup", CSIDL_STARTUP, folder_.path(),
        L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"};
};

class WakeupPageTest : public ::testing::Test {
protected:
    WakeupPageTest() {
        InstallShippedDefaults(folders);
        ::CopyFileW((FolderOfThisExecutable() + L"\\Wakeup.exe").c_str(), (program / L"Wakeup.exe").c_str(), FALSE);
        SetRegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Tessel", L"ApplicationPath", program / L"Skylume.exe");
        standIns.SetText(L"Wakeup", L"LogFolder", log.path());
    }
    ~WakeupPageTest() override {
        process.reset();
        // A wake-up program the page started hears the code and ends.
        ::PostMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TesselCommonMessage0504190"), 0xABE00004, 0);
        ::Sleep(200);
    }

    void UseLanguage(const std::string& code) {
        MakeFolders(folders.userModules());
        WriteFile(folders.userModules() + L"\\data.xml",
                  "<conf_data><modules/><background position=\"center\"/><locale>" + code +
                      "</locale></conf_data>"); // the Display page shares the file and needs its background
    }
    static void SetBinary(const wchar_t* name, const std::vector<BYTE>& bytes) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kTimerKey, name, REG_BINARY, bytes.data(), DWORD(bytes.size()));
    }
    static void SetDword(const wchar_t* name, DWORD value) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kTimerKey, name, REG_DWORD, &value, sizeof(value));
    }
    static std::optional<std::vector<BYTE>> Value(const wchar_t* name) {
        BYTE data[64];
        DWORD size = sizeof(data);
        if (::RegGetValueW(HKEY_CURRENT_USER, kTimerKey, name, RRF_RT_ANY, nullptr, data, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::vector<BYTE>(data, data + size);
    }
    static std::wstring Text(const wchar_t* name) {
        wchar_t text[256] = {};
        DWORD size = sizeof(text);
        ::RegGetValueW(HKEY_CURRENT_USER, kTimerKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
        return text;
    }
    HWND OpenPage() {
        window = OpenSettingsWindow(program.exe(), process);
        return page = FindPage(window, {kHour, kVolume});
    }
    HWND Item(int id) const { return ::GetDlgItem(page, id); }
    int Selected(int id) const { return int(::SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
    void Choose(int id, int index) {
        ::SendMessageW(Item(id), CB_SETCURSEL, index, 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(Item(id)));
    }
    void Check(int id, bool on) {
        ::SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Item(id)));
    }
    std::wstring ComboText(int id, int index) const {
        wchar_t text[256] = {};
        ::SendMessageW(Item(id), CB_GETLBTEXT, index, LPARAM(text));
        return text;
    }
    std::optional<DWORD> PressOk() {
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        return process->Wait(10000);
    }
    // The wake-up program's log once it holds `line` (a started program may take a moment), or as it is.
    std::string WakeupLog(const std::string& line = "") const {
        for (int i = 0; i < 100; ++i) {
            const std::string text = ReadFile(log / L"wakeup.log").value_or("");
            if (line.empty() || text.find(line) != std::string::npos)
                return text;
            ::Sleep(50);
        }
        return ReadFile(log / L"wakeup.log").value_or("");
    }

    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    RegistryKeyCleaner machineKey{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Tessel"};
    MusicStandIns standIns;
    StartupFolder startup;
    TempFolder log{L"wakeup-log"};
    DisplayMonitor monitor;
    std::unique_ptr<RunningProcess> process;
    HWND window = nullptr;
    HWND page = nullptr;
};

} // namespace

TEST_F(WakeupPageTest, OutOfRangeOrOversizedScheduleLoadsMidnight) {
    UseLanguage("jpn");
    for (const auto& stored : {Bytes({24, 5}), Bytes({3, 60}), Bytes({7, 30, 0})}) {
        SetBinary(L"WeekDayTimerProperties", stored);
        ASSERT_NE(OpenPage(), nullptr);
        EXPECT_EQ(::SendMessageW(Item(kHour), CB_GETCOUNT, 0, 0), 24) << "24-hour mode";
        EXPECT_FALSE(::GetWindowLongPtrW(Item(kAmPm), GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(Selected(kHour), 0);
        EXPECT_EQ(Selected(kMinute), 0);
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        process->Wait(10000);
    }
    // Sunday's box comes from the first day value, Saturday's from the seventh; a missing volume is 50.
    SetBinary(L"WeekDayTimerProperties", Bytes({23, 59}));
    SetBinary(L"WeekDayTimerEnable1", Bytes({1}));
    SetBinary(L"WeekDayTimerEnable2", Bytes({0}));
    SetBinary(L"WeekDayTimerEnable7", Bytes({1}));
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(Selected(kHour), 23);
    EXPECT_EQ(Selected(kMinute), 59);
    EXPECT_EQ(::SendMessageW(Item(kSunday), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Item(kSaturday), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Item(kMonday), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(Item(kVolume), TBM_GETPOS, 0, 0), 50);
}

TEST_F(WakeupPageTest, TwelveHourClockStoresMidnightAndNoon) {
    UseLanguage("usa");
    SetBinary(L"WeekDayTimerProperties", Bytes({13, 5}));
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(::SendMessageW(Item(kHour), CB_GETCOUNT, 0, 0), 12);
    EXPECT_TRUE(::GetWindowLongPtrW(Item(kAmPm), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(Selected(kHour), 0) << "13:00 shows as 1 PM";
    EXPECT_EQ(Selected(kAmPm), 1);
    EXPECT_EQ(ComboText(kAmPm, 1), L"PM");
    Check(kEnable, true);
    EXPECT_TRUE(::IsWindowEnabled(Item(kAmPm)));
    Choose(kHour, 11);
    Choose(kAmPm, 0);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(Value(L"WeekDayTimerProperties"), Bytes({0, 5})) << "12 AM is hour 0";

    ASSERT_NE(OpenPage(), nullptr);
    Choose(kAmPm, 1);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(Value(L"WeekDayTimerProperties"), Bytes({12, 5})) << "12 PM is hour 12";
}

TEST_F(WakeupPageTest, VolumeAloneLeavesScheduleAndShortcutAlone) {
    UseLanguage("jpn");
    SetDword(L"Volume", 0);
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(::SendMessageW(Item(kVolume), TBM_GETPOS, 0, 0), 0) << "a stored 0 is kept";
    EXPECT_FALSE(::IsWindowEnabled(Item(kHour))) << "timer off: schedule disabled";
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(Value(L"Volume"), Bytes({0}));
    EXPECT_EQ(Value(L"SetVolume"), Bytes({0}));
    EXPECT_FALSE(Value(L"WeekDayTimerProperties").has_value());
    EXPECT_FALSE(FileExists(startup.Shortcut()));
    EXPECT_EQ(monitor.Codes(), "");

    ASSERT_NE(OpenPage(), nullptr);
    Check(kEnable, true);
    Check(kSetVolume, true);
    EXPECT_TRUE(::IsWindowEnabled(Item(kVolume)));
    Check(kEnable, false);
    EXPECT_FALSE(::IsWindowEnabled(Item(kVolume)));
    ::SendMessageW(Item(kVolume), TBM_SETPOS, TRUE, 35);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(Value(L"Volume"), Bytes({35}));
    EXPECT_EQ(Value(L"SetVolume"), Bytes({1}));
    EXPECT_FALSE(Value(L"WeekDayTimerProperties").has_value());
    EXPECT_EQ(monitor.Codes(), "");
    EXPECT_FALSE(FileExists(folders.userModules() + L"\\cmf.dat"));
}

TEST_F(WakeupPageTest, SwitchingOnMakesTheShortcutAndStartsTheProgram) {
    UseLanguage("jpn");
    ASSERT_NE(OpenPage(), nullptr);
    Check(kEnable, true);
    Choose(kHour, 7);
    Choose(kMinute, 45);
    Check(kMonday, true);
    Check(kSunday, true);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(Value(L"WeekDayTimerProperties"), Bytes({7, 45}));
    EXPECT_EQ(Value(L"WeekDayTimerEnable2"), Bytes({1}));
    EXPECT_EQ(Value(L"WeekDayTimerEnable3"), Bytes({0}));
    EXPECT_EQ(Value(L"WeekDayTimerEnable1"), Bytes({1}));
    EXPECT_NE(WakeupLog("started").find("started"), std::string::npos);
    EXPECT_EQ(ReadFile(folders.userModules() + L"\\cmf.dat"), std::string("\1\0\0\0\0\0\0\0", 8))
        << "the timer alone changed";

    // The shortcut, read back through the shell.
    win32::ComInit com;
    win32::ComPtr<IShellLinkW> link;
    ASSERT_TRUE(
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())));
    ASSERT_TRUE(SUCCEEDED(link.As<IPersistFile>()->Load(startup.Shortcut().c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = {};
    link->GetPath(text, MAX_PATH, nullptr, 0);
    EXPECT_TRUE(::lstrcmpiW(text, (program / L"Wakeup.exe").c_str()) == 0) << text;
    int icon = -1;
    link->GetIconLocation(text, MAX_PATH, &icon);
    EXPECT_TRUE(::lstrcmpiW(text, (program / L"Wakeup.exe").c_str()) == 0) << text;
    EXPECT_EQ(icon, 0);
    int show = 0;
    link->GetShowCmd(&show);
    EXPECT_EQ(show, SW_SHOWNORMAL);
    link->GetArguments(text, MAX_PATH);
    EXPECT_STREQ(text, L"");
    link->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_STREQ(text, L"");
}

namespace {

// Records what happens to the names in a folder (FILE_ACTION_* and the name) until it is destroyed.
class FolderWatch {
public:
    explicit FolderWatch(const std::wstring& folder)
        : folder_(folder), handle_(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {
        thread_ = std::thread([this] {
            alignas(DWORD) BYTE buffer[16384];
            DWORD size = 0;
            while (!stop_ && ::ReadDirectoryChangesW(handle_, buffer, sizeof(buffer), FALSE,
                                                     FILE_NOTIFY_CHANGE_FILE_NAME, &size, nullptr, nullptr)) {
                for (DWORD at = 0; size > 0;) {
                    const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
                    events_.push_back(
                        {record->Action, std::wstring(record->FileName, record->FileNameLength / sizeof(wchar_t))});
                    if (!record->NextEntryOffset)
                        break;
                    at += record->NextEntryOffset;
                }
            }
        });
    }
    ~FolderWatch() {
        stop_ = true;
        WriteFile(folder_ + L"\\stop-watching", "");
        thread_.join();
        ::CloseHandle(handle_);
    }
    struct Event {
        DWORD action;
        std::wstring name;
    };
    // The events so far; call after the watched change and a pause.
    std::vector<Event> Events() const { return events_; }

private:
    std::wstring folder_;
    HANDLE handle_;
    std::atomic<bool> stop_{false};
    std::vector<Event> events_;
    std::thread thread_;
};

} // namespace

// The timer counts as on while the shortcut exists: a save replaces it in one step, never deleting it first.
// Without the wake-up program's path the shortcut goes, so the timer shows as off.
TEST_F(WakeupPageTest, SwitchingOnAgainReplacesTheShortcutWithoutItEverBeingMissing) {
    UseLanguage("jpn");
    ASSERT_TRUE(WriteFile(startup.Shortcut(), "an old shortcut"));
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(::SendMessageW(Item(kEnable), BM_GETCHECK, 0, 0), BST_CHECKED) << "on while the shortcut exists";
    Choose(kMinute, 10);
    std::vector<FolderWatch::Event> events;
    {
        FolderWatch watch(startup.Shortcut().substr(0, startup.Shortcut().rfind(L'\\')));
        ::Sleep(200);
        EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
        events = watch.Events();
    }
    EXPECT_NE(ReadFile(startup.Shortcut()).value_or("an old shortcut"), "an old shortcut");
    EXPECT_FALSE(events.empty()) << "the watch saw the save";
    for (const auto& event : events)
        EXPECT_FALSE(event.action == FILE_ACTION_REMOVED && event.name == L"SkylumeWakeup.lnk");
    EXPECT_NE(WakeupLog("started").find("started"), std::string::npos);

    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillon\\Tessel", L"ApplicationPath");
    ASSERT_NE(OpenPage(), nullptr);
    Choose(kMinute, 20);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(startup.Shortcut()));
    ASSERT_NE(OpenPage(), nullptr);
    EXPECT_EQ(::SendMessageW(Item(kEnable), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(WakeupPageTest, SwitchingOffDeletesTheShortcutAndTellsTheProgram) {
    UseLanguage("jpn");
    ASSERT_TRUE(WriteFile(startup.Shortcut(), "shortcut"));
    ::SetFileAttributesW(startup.Shortcut().c_str(), FILE_ATTRIBUTE_READONLY);
    RunningProcess wakeup(program / L"Wakeup.exe", {});
    ::Sleep(500);
    ASSERT_NE(OpenPage(), nullptr);
    Check(kEnable, false);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(startup.Shortcut()));
    EXPECT_NE(monitor.Codes().find("0xABE00004"), std::string::npos) << monitor.Codes();
    EXPECT_NE(WakeupLog("heard").find("heard 0xABE00004"), std::string::npos) << WakeupLog();
}

TEST_F(WakeupPageTest, SwitchingOffWithoutAShortcutStillBroadcasts) {
    UseLanguage("jpn");
    ASSERT_NE(OpenPage(), nullptr);
    Check(kMonday, true);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_NE(monitor.Codes().find("0xABE00004"), std::string::npos) << monitor.Codes();
    EXPECT_FALSE(FileExists(startup.Shortcut()));
}

TEST_F(WakeupPageTest, AlbumAndSongListsComeFromTheLibraryAndTheChoiceIsStored) {
    UseLanguage("usa");
    TempFolder music{L"wakeup-music"};
    standIns.SetFixture({L"song\tt1\t" + (music / L"1.mp3") + L"\tFirst &amp; Best\tZulu\tZed\tZed\tZ1",
                         L"song\tt2\t" + (music / L"2.mp3") + L"\tSecond\tZulu\tZed\tZed\tZ1",
                         L"song\tt3\t" + (music / L"3.mp3") + L"\tThird\tAlpha & Co\tAbba\tAbba\tA1"});
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kTimerKey, L"PlaylistID", REG_SZ, L"Z1", 6);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kTimerKey, L"SongID", REG_SZ, L"t2", 6);
    ASSERT_NE(OpenPage(), nullptr);
    ASSERT_EQ(::SendMessageW(Item(kAlbum), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboText(kAlbum, 0), L"(No album)");
    EXPECT_EQ(ComboText(kAlbum, 1), L"Alpha & Co");
    EXPECT_EQ(ComboText(kAlbum, 2), L"Zulu");
    EXPECT_EQ(Selected(kAlbum), 2);
    EXPECT_EQ(ComboText(kSong, 0), L"(No title)");
    EXPECT_EQ(ComboText(kSong, 1), L"First &amp; Best");
    EXPECT_EQ(Selected(kSong), 2);
    Choose(kAlbum, 1);
    EXPECT_EQ(::SendMessageW(Item(kSong), CB_GETCOUNT, 0, 0), 2);
    Choose(kSong, 1);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(Text(L"PlaylistID"), L"A1");
    EXPECT_EQ(Text(L"SongID"), L"t3");
    EXPECT_EQ(Value(L"PlaylistID")->size(), 6u) << "stored with its terminating null";

    ASSERT_NE(OpenPage(), nullptr);
    Choose(kAlbum, 0);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_FALSE(Value(L"PlaylistID").has_value());
    EXPECT_FALSE(Value(L"SongID").has_value());
}

// Midnight, noon and 1 PM are driven through the page (TwelveHourClockStoresMidnightAndNoon); these are the
// choices it does not reach.
TEST(WakeupSchedule, TwelveHourChoicesMapToHours) {
    EXPECT_EQ(wakeup::HourToChoice(0, true).index, 11);
    EXPECT_EQ(wakeup::HourToChoice(12, true).pm, true);
    EXPECT_EQ(wakeup::HourToChoice(23, true).index, 10);
}

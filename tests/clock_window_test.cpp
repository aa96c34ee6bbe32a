// The clock and calendar pages and the clock dialogs of the real program, driven through their windows.
#include "page_window_fixture.h"
#include "pages/world_clock/city_database.h"
#include "shell/language.h"
#include "win32/strings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testenv;

namespace {

// Clock page.
constexpr int kEdit = 1000, kList = 1001, kAdd = 1002, kDelete = 1003, kUp = 1004, kDown = 1005, kAnalog = 1012,
              kDigital = 1013;
// Clock dialogs.
constexpr int kCityCombo = 1018, kNameEdit = 1017, kDaylightGroup = 1019, kDaylightCheck = 1016;
// Calendar page.
constexpr int kWeekdayCombo = 1018, kHolidayCheck = 1016, kLink = 1051;

std::string LocalClock(const std::string& name = "Home") {
    return "<clock><display>" + name + "</display><name>" + name + "</name></clock>";
}
std::string CityClock(const std::string& name, const std::string& zone = "Tokyo Standard Time") {
    return "<clock><locale>" + zone + "</locale><display>" + name + "</display><name>" + name +
           "</name><daylightsaving>false</daylightsaving><region>" + name + "</region></clock>";
}
std::string ClockData(const std::string& clocks, const std::string& subMode = "analog") {
    return "<conf_data><sub><mode>" + subMode +
           "</mode><ampm>false</ampm><seconds>true</seconds></sub>"
           "<main><mode>analog</mode><ampm>false</ampm><seconds>true</seconds>" +
           clocks + "</main></conf_data>";
}

std::string WithoutLayout(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\t'; });
    return text;
}

std::wstring ListText(HWND list, int index) {
    wchar_t text[256] = {};
    ::SendMessageW(list, LB_GETTEXT, index, LPARAM(text));
    return text;
}

std::wstring ComboText(HWND combo, int index) {
    wchar_t text[256] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, index, LPARAM(text));
    return text;
}

// One message, not one per city: the combo box holds thousands, and each message reaches the program's skin.
int FindComboItem(HWND combo, const std::wstring& text) {
    return int(::SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text.c_str())));
}

// Takes zones out of the machine's time-zone table for the life of the object, as on a system without time-zone
// updates: one zone's key (kept aside and put back), and one value of the first zone.
class ZonesMissingFromTheMachine {
public:
    ZonesMissingFromTheMachine(const std::wstring& zone, const wchar_t* valueOfFirstZone) : zone_(zone) {
        HKEY table = nullptr;
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTimeZones, 0, KEY_ALL_ACCESS, &table);
        wchar_t first[260] = {};
        DWORD length = 260;
        ::RegEnumKeyExW(table, 0, first, &length, nullptr, nullptr, nullptr, nullptr);
        first_ = first;
        ::RegCloseKey(table);
        const std::wstring firstKey = std::wstring(kTimeZones) + L"\\" + first_;
        value_ = valueOfFirstZone;
        DWORD size = sizeof(valueText_);
        ::RegGetValueW(HKEY_LOCAL_MACHINE, firstKey.c_str(), value_, RRF_RT_REG_SZ, nullptr, valueText_, &size);
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, firstKey.c_str(), value_);
        HKEY source = nullptr, aside = nullptr;
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTimeZones) + L"\\" + zone_).c_str(), 0, KEY_READ, &source);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kAside, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &aside, nullptr);
        kept_ = source && ::RegCopyTreeW(source, nullptr, aside) == ERROR_SUCCESS;
        ::RegCloseKey(source);
        ::RegCloseKey(aside);
        if (kept_)
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kTimeZones) + L"\\" + zone_).c_str());
    }
    ~ZonesMissingFromTheMachine() {
        SetRegistryText(HKEY_LOCAL_MACHINE, std::wstring(kTimeZones) + L"\\" + first_, value_, valueText_);
        HKEY aside = nullptr, target = nullptr;
        ::RegOpenKeyExW(HKEY_CURRENT_USER, kAside, 0, KEY_READ, &aside);
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTimeZones) + L"\\" + zone_).c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &target, nullptr);
        if (kept_)
            ::RegCopyTreeW(aside, nullptr, target);
        ::RegCloseKey(aside);
        ::RegCloseKey(target);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kAside);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kAside);
    }
    bool ok() const { return kept_ && valueText_[0] != 0; }

private:
    static constexpr wchar_t kTimeZones[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
    static constexpr wchar_t kAside[] = L"Software\\SkylumeTests\\ZoneAside";
    std::wstring zone_, first_;
    const wchar_t* value_ = nullptr;
    wchar_t valueText_[128] = {};
    bool kept_ = false;
};

class ClockWindowTest : public pagetest::PageWindowTest {
protected:
    std::wstring ClockFile() const { return folders.userModules() + L"\\Clock\\data.xml"; }
    std::wstring CalendarFile() const { return folders.userModules() + L"\\Calendar\\data.xml"; }
    void WriteUserFile(const std::wstring& path, const std::string& xml) {
        MakeFolders(path.substr(0, path.find_last_of(L'\\')));
        ASSERT_TRUE(WriteFile(path, xml));
    }

    HWND Open() { return window = PageWindowTest::Open(); }
    // The page of the settings window that has controls with all these ids (other pages reuse single ids).
    HWND ClockPage() const { return FindPage(window, {kList, kAdd, kDelete, kUp, kDown, kAnalog}); }
    HWND CalendarPage() const { return FindPage(window, {kLink, kWeekdayCombo, kHolidayCheck}); }
    // Writes the user's file and opens the window on its page; nullptr when either fails.
    HWND OpenClockPage(const std::string& clockData) {
        WriteUserFile(ClockFile(), clockData);
        return Open() ? ClockPage() : nullptr;
    }
    HWND OpenCalendarPage(const std::string& calendarData) {
        WriteUserFile(CalendarFile(), calendarData);
        return Open() ? CalendarPage() : nullptr;
    }
    // A top-level dialog of the program (other than the settings window) holding control `id`.
    HWND WaitForDialogWith(int id) const {
        return WaitForTopLevel(
            process->id(), [id](HWND w) { return ClassOf(w) == L"#32770" && ::GetDlgItem(w, id); }, 10000);
    }
    // Posts a button's command to its page or dialog, as a click does.
    static void Click(HWND parent, int id) {
        ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(parent, id)));
        ::Sleep(150);
    }
    static void Select(HWND page, int index) {
        HWND list = ::GetDlgItem(page, kList);
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE), LPARAM(list));
    }
    // Clicks a page button and waits for the dialog it opens, which holds control `id`.
    HWND OpenDialog(HWND page, int button, int id) const {
        Click(page, button);
        return WaitForDialogWith(id);
    }
    static void CloseDialog(HWND dialog, int id) {
        ::PostMessageW(dialog, WM_COMMAND, id, 0);
        ::Sleep(300);
    }
    static void ChooseCity(HWND dialog, int index) {
        HWND combo = ::GetDlgItem(dialog, kCityCombo);
        ::SendMessageW(combo, CB_SETCURSEL, index, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCityCombo, CBN_SELCHANGE), LPARAM(combo));
    }
    static bool Enabled(HWND page, int id) { return ::IsWindowEnabled(::GetDlgItem(page, id)); }
    static bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)); }
    std::optional<DWORD> PressOk() { return Press(window, IDOK); }
    // OK, then the saved clock file without its layout.
    std::string SavedAfterOk() {
        EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
        return WithoutLayout(ReadFile(ClockFile()).value_or(""));
    }

    FlashPlayer flash{0x000A0000};
    HWND window = nullptr;
};

} // namespace

TEST_F(ClockWindowTest, SevenClocksDisableAddAndDeletingOneEnablesIt) {
    std::string clocks = LocalClock();
    for (int i = 1; i < 7; ++i)
        clocks += CityClock("City" + std::to_string(i));
    HWND page = OpenClockPage(ClockData(clocks));
    ASSERT_NE(page, nullptr);
    HWND list = ::GetDlgItem(page, kList);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 7);
    EXPECT_FALSE(Enabled(page, kAdd));

    Select(page, 3);
    Click(page, kDelete);
    HWND box = WaitForDialogWith(IDYES);
    ASSERT_NE(box, nullptr) << "deleting asks first";
    ::PostMessageW(box, WM_COMMAND, IDYES, 0);
    for (int i = 0; i < 100 && ::SendMessageW(list, LB_GETCOUNT, 0, 0) != 6; ++i)
        ::Sleep(50);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(ListText(list, 3), L"City4");
    EXPECT_TRUE(Enabled(page, kAdd));
    EXPECT_FALSE(Enabled(page, kDelete));
    EXPECT_FALSE(Enabled(page, kEdit));
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);

    const std::string saved = SavedAfterOk();
    EXPECT_EQ(saved.find("City3"), std::string::npos) << saved;
    EXPECT_NE(saved.find("City6"), std::string::npos) << saved;
}

TEST_F(ClockWindowTest, TheLocalClockStaysFirst) {
    HWND page = OpenClockPage(ClockData(LocalClock() + CityClock("Osaka") + CityClock("Sapporo")));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kList), LB_GETCURSEL, 0, 0), 0) << "the first item starts selected";
    EXPECT_TRUE(Enabled(page, kEdit));
    EXPECT_FALSE(Enabled(page, kDelete));
    EXPECT_FALSE(Enabled(page, kUp));
    EXPECT_FALSE(Enabled(page, kDown));
    Select(page, 1);
    EXPECT_TRUE(Enabled(page, kDelete));
    EXPECT_TRUE(Enabled(page, kDown));
    EXPECT_FALSE(Enabled(page, kUp)) << "nothing moves above the local clock";
    Select(page, 2);
    EXPECT_TRUE(Enabled(page, kUp));
    EXPECT_FALSE(Enabled(page, kDown));
    EXPECT_EQ(ListText(::GetDlgItem(page, kList), 0).find(L"Home"), 0u);
}

TEST_F(ClockWindowTest, AFileTheClockPageCannotUseGivesWayToTheDefault) {
    std::string eight = LocalClock();
    for (int i = 1; i < 8; ++i)
        eight += CityClock("City" + std::to_string(i));
    const std::string cases[] = {ClockData(CityClock("Tokyo") + LocalClock()), ClockData(eight),
                                 "<conf_data><main><mode>analog</mode></main></conf_data>"};
    const std::string shipped = ReadFile(SourceFile(L"data/common/Modules/Clock/data.xml")).value_or("");
    for (const std::string& data : cases) {
        HWND page = OpenClockPage(data);
        ASSERT_NE(page, nullptr);
        HWND list = ::GetDlgItem(page, kList);
        EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 3) << data;
        EXPECT_EQ(ListText(list, 1), L"London") << data;
        EXPECT_EQ(ReadFile(ClockFile()), shipped) << data;
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        process->Wait(10000);
    }
}

// Clocks of zones the machine lacks (one deleted from its table, one that never existed) are shown, left as they
// are and saved unchanged; the rest of the city database is still offered.
TEST_F(ClockWindowTest, ClocksOfZonesTheMachineLacksAreKeptAndTheWindowOpens) {
    ZonesMissingFromTheMachine missing(L"Morocco Standard Time", L"Dlt");
    ASSERT_TRUE(missing.ok());
    const std::string casablanca = CityClock("Casablanca", "Morocco Standard Time"),
                      atlantis = CityClock("Atlantis", "Atlantis Standard Time");
    const std::string data = ClockData(LocalClock() + casablanca + atlantis + CityClock("Tokyo"));
    HWND page = OpenClockPage(data);
    ASSERT_NE(page, nullptr) << "the window opened, not the reinstall message";
    HWND list = ::GetDlgItem(page, kList);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ListText(list, 2), L"Atlantis");
    EXPECT_EQ(Press(window, IDCANCEL), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(ClockFile()), data) << "Cancel leaves the file byte for byte";

    ASSERT_NE(Open(), nullptr);
    page = ClockPage();
    ASSERT_NE(page, nullptr);
    Select(page, 2);
    HWND dialog = OpenDialog(page, kEdit, kCityCombo);
    ASSERT_NE(dialog, nullptr);
    EXPECT_GT(::SendMessageW(::GetDlgItem(dialog, kCityCombo), CB_GETCOUNT, 0, 0), 100) << "the other cities stay";
    CloseDialog(dialog, IDCANCEL);
    ::SendMessageW(::GetDlgItem(ClockPage(), kDigital), BM_CLICK, 0, 0);
    const std::string saved = SavedAfterOk();
    EXPECT_NE(saved.find(casablanca + atlantis), std::string::npos) << saved;
    EXPECT_NE(saved.find("<main><mode>digital</mode>"), std::string::npos) << saved;
}

// A damaged city database (a program file) may keep the window from opening, but never costs the user's clocks.
TEST_F(ClockWindowTest, ADamagedCityDatabaseEndsTheWindowAndLeavesTheClockFile) {
    const std::string data = ClockData(LocalClock() + CityClock("Osaka"));
    WriteUserFile(ClockFile(), data);
    ASSERT_TRUE(WriteFile(program / L"citydb.dat", "not a city database"));
    process = std::make_unique<RunningProcess>(program.exe(), std::vector<std::wstring>{});
    const std::wstring text = AnswerMessageBox(IDOK);
    EXPECT_NE(text.find(L"required files are missing or damaged"), std::wstring::npos) << text;
    EXPECT_EQ(process->Wait(10000), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(ClockFile()), data);
    EXPECT_FALSE(FileExists(ClockFile() + L".bad"));
}

// Delete answered No, Edit of a city clock (its city preselected, the name coming back with it, Cancel changing
// nothing, OK writing city, zone and daylight flag), Cancel in the local clock's dialog, Up.
TEST_F(ClockWindowTest, EditUpAndTheirCancelsChangeExactlyWhatTheUserChose) {
    const std::string office = "<clock><locale>Tokyo Standard Time</locale><display>Office</display><name>Office"
                               "</name><daylightsaving>false</daylightsaving><region>Tokyo</region></clock>";
    HWND page = OpenClockPage(ClockData(LocalClock() + office + CityClock("Kobe")));
    ASSERT_NE(page, nullptr);
    HWND list = ::GetDlgItem(page, kList);
    Select(page, 1);
    Click(page, kDelete);
    EXPECT_NE(AnswerMessageBox(IDNO).find(L"clock"), std::wstring::npos);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 3);

    auto editName = [](HWND dialog) {
        wchar_t name[64] = {};
        ::SendDlgItemMessageW(dialog, kNameEdit, WM_GETTEXT, 64, LPARAM(name));
        return std::wstring(name);
    };
    Select(page, 1);
    HWND dialog = OpenDialog(page, kEdit, kCityCombo);
    ASSERT_NE(dialog, nullptr);
    HWND combo = ::GetDlgItem(dialog, kCityCombo);
    EXPECT_EQ(ComboText(combo, int(::SendMessageW(combo, CB_GETCURSEL, 0, 0))), L"Tokyo");
    EXPECT_EQ(editName(dialog), L"Office");
    const int edinburgh = FindComboItem(combo, L"Edinburgh"), tokyo = FindComboItem(combo, L"Tokyo");
    ChooseCity(dialog, edinburgh);
    EXPECT_EQ(editName(dialog), L"Edinburgh");
    ChooseCity(dialog, tokyo);
    EXPECT_EQ(editName(dialog), L"Office") << "back at its own city, the clock gets its own name back";
    ChooseCity(dialog, edinburgh);
    CloseDialog(dialog, IDCANCEL);
    EXPECT_EQ(ListText(list, 1), L"Office");

    Select(page, 0);
    dialog = OpenDialog(page, kEdit, kDigital);
    ASSERT_NE(dialog, nullptr);
    ::SendMessageW(::GetDlgItem(dialog, kDigital), BM_CLICK, 0, 0);
    CloseDialog(dialog, IDCANCEL);

    Select(page, 2);
    Click(page, kUp);
    EXPECT_EQ(ListText(list, 1), L"Kobe");
    Select(page, 2);
    dialog = OpenDialog(page, kEdit, kCityCombo);
    ASSERT_NE(dialog, nullptr);
    ChooseCity(dialog, edinburgh);
    ::SendMessageW(::GetDlgItem(dialog, kDaylightCheck), BM_SETCHECK, BST_CHECKED, 0);
    CloseDialog(dialog, IDOK);
    EXPECT_EQ(ListText(list, 2), L"Edinburgh");

    const std::string saved = SavedAfterOk();
    EXPECT_NE(saved.find("<sub><mode>analog</mode>"), std::string::npos) << "Cancel kept the sub screen: " << saved;
    EXPECT_NE(
        saved.find("<region>Kobe</region></clock><clock><locale>GMT Standard Time</locale><display>Edinburgh"
                   "</display><name>Edinburgh</name><daylightsaving>true</daylightsaving><region>Edinburgh</region>"
                   "</clock></main>"),
        std::string::npos)
        << saved;
}

TEST_F(ClockWindowTest, LongNamesAreShortenedUntilMoved) {
    // Forty-eight wide characters (UTF-8 in the file) are wider than the list.
    std::string longName;
    for (int i = 0; i < 48; ++i)
        longName += "\xE6\x9D\xB1";
    HWND page = OpenClockPage(ClockData(LocalClock(longName) + CityClock(longName) + CityClock("Kobe")));
    ASSERT_NE(page, nullptr);
    HWND list = ::GetDlgItem(page, kList);
    const std::wstring wideName(48, L'\x6771');
    const std::wstring shortened = ListText(list, 1);
    EXPECT_LT(shortened.size(), wideName.size());
    EXPECT_EQ(shortened.substr(shortened.size() - 3), L"...");
    const std::wstring local = ListText(list, 0);
    EXPECT_NE(local.find(L"... ("), std::wstring::npos) << "the local clock keeps its suffix after the ellipsis";

    Select(page, 1);
    Click(page, kDown);
    EXPECT_EQ(ListText(list, 2), wideName) << "a moved clock shows its whole name";
    EXPECT_EQ(ListText(list, 1), L"Kobe");
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(Enabled(page, kUp));
    EXPECT_FALSE(Enabled(page, kDown));
}

TEST_F(ClockWindowTest, AddInsertsAfterTheSelectionAndDaylightFollowsTheZone) {
    HWND page = OpenClockPage(ClockData(LocalClock() + CityClock("A") + CityClock("B") + CityClock("C")));
    ASSERT_NE(page, nullptr);
    Select(page, 2);
    HWND dialog = OpenDialog(page, kAdd, kCityCombo);
    ASSERT_NE(dialog, nullptr);
    HWND combo = ::GetDlgItem(dialog, kCityCombo);
    // A new clock starts in the machine's own zone, as this process reads it.
    DYNAMIC_TIME_ZONE_INFORMATION machine{};
    ASSERT_NE(::GetDynamicTimeZoneInformation(&machine), TIME_ZONE_ID_INVALID);
    CCityDatabase database;
    ASSERT_TRUE(database.LoadCityDatabase(SourceFile(L"data/program/citydb.dat")));
    const int start = int(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    const auto& cities = database.FindCityGroup(5)->cities;
    ASSERT_GE(start, 0);
    const bool listed = std::any_of(cities.begin(), cities.end(),
                                    [&](const CCity& c) { return c.timeZone->keyName == machine.TimeZoneKeyName; });
    EXPECT_EQ(listed ? cities[size_t(start)].timeZone->keyName : L"", listed ? machine.TimeZoneKeyName : L"")
        << win32::WideToUtf8(cities[size_t(start)].name);
    EXPECT_EQ(listed || start == 0, true);
    const int tokyo = FindComboItem(combo, L"Tokyo");
    const int london = FindComboItem(combo, L"London, United Kingdom");
    ASSERT_GE(tokyo, 0);
    ASSERT_GE(london, 0);
    ChooseCity(dialog, london);
    EXPECT_TRUE(Visible(dialog, kDaylightGroup));
    EXPECT_TRUE(Visible(dialog, kDaylightCheck));
    ChooseCity(dialog, tokyo);
    EXPECT_FALSE(Visible(dialog, kDaylightGroup)) << "Tokyo has no daylight saving time";
    EXPECT_FALSE(Visible(dialog, kDaylightCheck));
    wchar_t name[64] = {};
    ::GetDlgItemTextW(dialog, kNameEdit, name, 64);
    EXPECT_STREQ(name, L"Tokyo") << "choosing a city names the clock after it";
    ::SetDlgItemTextW(dialog, kNameEdit, L"");
    EXPECT_FALSE(Enabled(dialog, IDOK));
    ::SetDlgItemTextW(dialog, kNameEdit, L"Tokyo office");
    EXPECT_TRUE(Enabled(dialog, IDOK));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND list = ::GetDlgItem(page, kList);
    for (int i = 0; i < 100 && ::SendMessageW(list, LB_GETCOUNT, 0, 0) != 5; ++i)
        ::Sleep(50);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(ListText(list, 3), L"Tokyo office");
    EXPECT_EQ(ListText(list, 4), L"C");

    const std::string saved = SavedAfterOk();
    const std::string added = "<clock><locale>Tokyo Standard Time</locale><display>Tokyo office</display>"
                              "<name>Tokyo office</name><daylightsaving>false</daylightsaving>"
                              "<region>Tokyo</region></clock>";
    EXPECT_NE(saved.find("<region>B</region></clock>" + added + "<clock><locale>"), std::string::npos) << saved;
}

TEST_F(ClockWindowTest, EditingOnlyTheSubScreenModeIsAChange) {
    HWND page = OpenClockPage(ClockData(LocalClock() + CityClock("Osaka")));
    ASSERT_NE(page, nullptr);
    Select(page, 0);
    HWND dialog = OpenDialog(page, kEdit, kDigital);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetDlgItem(dialog, kCityCombo), nullptr) << "the local clock's own dialog";
    EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog, kAnalog), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(::GetDlgItem(dialog, kDigital), BM_CLICK, 0, 0);
    CloseDialog(dialog, IDOK);

    const std::string saved = SavedAfterOk();
    EXPECT_EQ(saved.find("<conf_data><sub><mode>digital</mode><ampm>false</ampm><seconds>true</seconds></sub>"
                         "<main><mode>analog</mode><ampm>false</ampm><seconds>true</seconds>"
                         "<clock><display>Home</display><name>Home</name></clock><clock><locale>"),
              0u)
        << saved;
}

TEST_F(ClockWindowTest, TheAddDialogListsTheCitiesOfTheProgramsLanguage) {
    CCityDatabase database;
    ASSERT_TRUE(database.LoadCityDatabase(SourceFile(L"data/program/citydb.dat")));
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        const std::wstring code = shell::GetLanguageCode(language);
        WriteUserFile(folders.userModules() + L"\\data.xml",
                      "<conf_data><screensaving>false</screensaving><modules/><locale>" +
                          std::string(code.begin(), code.end()) + "</locale></conf_data>");
        ASSERT_NE(Open(), nullptr) << language;
        HWND page = ClockPage();
        ASSERT_NE(page, nullptr) << language;
        HWND dialog = OpenDialog(page, kAdd, kCityCombo);
        ASSERT_NE(dialog, nullptr) << language;
        const CCityGroup* group = database.FindCityGroup(language <= 5 ? language : 2);
        HWND combo = ::GetDlgItem(dialog, kCityCombo);
        EXPECT_EQ(size_t(::SendMessageW(combo, CB_GETCOUNT, 0, 0)), group->cities.size()) << language;
        EXPECT_EQ(ComboText(combo, 0), group->cities.front().name) << language;
        EXPECT_EQ(ComboText(combo, 100), group->cities[100].name) << language;
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ::Sleep(200);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        process->Wait(10000);
    }
}

// A Japanese user's default clocks (INIT_DATA's Japanese all-users file) keep their city through Edit and OK.
TEST_F(ClockWindowTest, AJapaneseUsersDefaultClocksRoundTripThroughEdit) {
    CopyTree(SourceFile(L"data/defaults/jpn"), folders.commonModules());
    WriteUserFile(folders.userModules() + L"\\data.xml",
                  "<conf_data><screensaving>false</screensaving><modules/><locale>jpn</locale></conf_data>");
    ASSERT_NE(Open(), nullptr);
    HWND page = ClockPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ListText(::GetDlgItem(page, kList), 1), L"ロンドン");
    Select(page, 1);
    HWND dialog = OpenDialog(page, kEdit, kCityCombo);
    ASSERT_NE(dialog, nullptr);
    HWND combo = ::GetDlgItem(dialog, kCityCombo);
    EXPECT_EQ(ComboText(combo, int(::SendMessageW(combo, CB_GETCURSEL, 0, 0))), L"ロンドン（イギリス）");
    CloseDialog(dialog, IDOK);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(ClockFile()), ReadFile(SourceFile(L"data/defaults/jpn/Clock/data.xml"))) << "nothing changed";
}

TEST_F(ClockWindowTest, CalendarReadsOnlyExactValuesAndKeepsTheRestOfItsFile) {
    HWND page = OpenCalendarPage("<conf_data><setting><calendar>Mon</calendar><holiday><display>TRUE</display>"
                                 "</holiday></setting><other>kept</other></conf_data>");
    ASSERT_NE(page, nullptr);
    HWND combo = ::GetDlgItem(page, kWeekdayCombo);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 6) << "\"Mon\" is not \"mon\"";
    EXPECT_EQ(ComboText(combo, 0), L"Monday");
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kHolidayCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(::GetDlgItem(page, kHolidayCheck), BM_CLICK, 0, 0);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    const std::string saved = WithoutLayout(ReadFile(CalendarFile()).value_or(""));
    EXPECT_NE(saved.find("<calendar>sun</calendar><holiday><display>false</display></holiday>"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find("<other>kept</other>"), std::string::npos) << saved;
}

// A calendar file without its elements gives way to the default, and each restore keeps the user's bytes beside
// it: a new damaged copy gets the next number, the same bytes again no second copy, and the default that fails
// to load too (nothing of the user's) none; no backup is ever overwritten.
TEST_F(ClockWindowTest, RestoresKeepEveryDamagedCopyOfTheUserAndOverwriteNone) {
    const std::string first = "<conf_data><setting>mine</setting></conf_data>",
                      second = "<conf_data>also mine</conf_data>";
    const std::string shipped = ReadFile(SourceFile(L"data/common/Modules/Calendar/data.xml")).value_or("");
    auto openAndCancel = [&] {
        ASSERT_NE(Open(), nullptr);
        ASSERT_NE(CalendarPage(), nullptr);
        EXPECT_EQ(Press(window, IDCANCEL), std::optional<DWORD>(0));
    };
    for (const std::string& damaged : {first, second, first}) {
        WriteUserFile(CalendarFile(), damaged);
        openAndCancel();
        EXPECT_EQ(ReadFile(CalendarFile()), shipped);
    }
    EXPECT_EQ(ReadFile(CalendarFile() + L".bad"), first);
    EXPECT_EQ(ReadFile(CalendarFile() + L".bad2"), second);
    EXPECT_FALSE(FileExists(CalendarFile() + L".bad3"));

    // A default that does not load either: the window ends with its message and every backup stays as it was.
    WriteFile(folders.commonModules() + L"\\Calendar\\data.xml", "<conf_data/>");
    WriteUserFile(CalendarFile(), "<conf_data/>");
    process = std::make_unique<RunningProcess>(program.exe(), std::vector<std::wstring>{});
    EXPECT_NE(AnswerMessageBox(IDOK).find(L"required files are missing or damaged"), std::wstring::npos);
    EXPECT_EQ(process->Wait(10000), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(CalendarFile() + L".bad"), first);
    EXPECT_EQ(ReadFile(CalendarFile() + L".bad2"), second);
    EXPECT_FALSE(FileExists(CalendarFile() + L".bad3"));
}

TEST_F(ClockWindowTest, CalendarChangedAndChangedBackIsNotSaved) {
    const std::string data = "<conf_data><setting><calendar>wed</calendar><holiday><display></display>"
                             "</holiday></setting></conf_data>";
    HWND page = OpenCalendarPage(data);
    ASSERT_NE(page, nullptr);
    HWND combo = ::GetDlgItem(page, kWeekdayCombo);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, kHolidayCheck), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "only \"false\" unchecks";
    ::SendMessageW(combo, CB_SETCURSEL, 5, 0);
    ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(PressOk(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(CalendarFile()), data);
}

#include "pages/display/wakeup_page.h"

#include "pages/display/wakeup_program.h"
#include "pages/display/wakeup_schedule.h"
#include "res/resource.h"
#include "shell/display_link.h"
#include "shell/folders.h"
#include "shell/language.h"
#include "ui/categories.h"
#include "win32/app.h"
#include "win32/registry.h"
#include "xmldata/xml_document.h"
#include "xmldata/xml_escape.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

// Monday to Sunday, in the order of wakeup::kDayValueNumbers.
constexpr int kDayBoxes[7] = {IDC_WAKEUP_MONDAY, IDC_WAKEUP_TUESDAY,  IDC_WAKEUP_WEDNESDAY, IDC_WAKEUP_THURSDAY,
                              IDC_WAKEUP_FRIDAY, IDC_WAKEUP_SATURDAY, IDC_WAKEUP_SUNDAY};

constexpr int kScheduleControls[] = {IDC_WAKEUP_SCHEDULE_GROUP, IDC_WAKEUP_TIME_LABEL, IDC_WAKEUP_HOUR,
                                     IDC_WAKEUP_HOUR_UNIT,      IDC_WAKEUP_MINUTE,     IDC_WAKEUP_MINUTE_UNIT,
                                     IDC_WAKEUP_DAYS_LABEL};
constexpr int kMusicControls[] = {IDC_WAKEUP_MUSIC_GROUP, IDC_WAKEUP_ALBUM_LABEL, IDC_WAKEUP_ALBUM,
                                  IDC_WAKEUP_SONG_LABEL,  IDC_WAKEUP_SONG,        IDC_WAKEUP_SET_VOLUME,
                                  IDC_WAKEUP_VOLUME_LABEL};
constexpr int kVolumeControls[] = {IDC_WAKEUP_VOLUME, IDC_WAKEUP_VOLUME_LESS, IDC_WAKEUP_VOLUME_MORE};

constexpr DWORD kDefaultVolume = 50;
// The album list's place among the page's skinned combo boxes.
constexpr int kAlbumCombo = 3;
constexpr LRESULT kNoEntry = -1;

void AddNumbers(HWND combo, int first, int last) {
    for (int n = first; n <= last; ++n)
        ComboBox_AddString(combo, std::to_wstring(n).c_str());
}

int AddEntry(HWND combo, const std::wstring& text, LPARAM data) {
    const int index = ComboBox_AddString(combo, text.c_str());
    ComboBox_SetItemData(combo, index, data);
    return index;
}

} // namespace

CCWWakeup::CCWWakeup(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_WAKEUP, categoryList, okButton, font) {
    title_ = win32::LoadResString(IDS_WAKEUP_TITLE);
    description_ = win32::LoadResString(IDS_WAKEUP_DESCRIPTION);
    category_ = kCategoryWakeup;
}

CCWWakeup::~CCWWakeup() = default;

bool CCWWakeup::TwelveHourMode() const {
    return ::IsWindowEnabled(item(IDC_WAKEUP_CLOCK_MODE)) != FALSE;
}

void CCWWakeup::BindSkins() {
    const int checkIds[10] = {
        IDC_WAKEUP_ENABLE,   IDC_WAKEUP_SET_VOLUME, IDC_WAKEUP_MONDAY,   IDC_WAKEUP_TUESDAY, IDC_WAKEUP_WEDNESDAY,
        IDC_WAKEUP_THURSDAY, IDC_WAKEUP_FRIDAY,     IDC_WAKEUP_SATURDAY, IDC_WAKEUP_SUNDAY,  0};
    for (int i = 0; i < 9; ++i)
        checks_[i].Bind(hwnd(), checkIds[i]);
    groups_[0].Bind(hwnd(), IDC_WAKEUP_SCHEDULE_GROUP);
    groups_[1].Bind(hwnd(), IDC_WAKEUP_MUSIC_GROUP);
    const int staticIds[8] = {IDC_WAKEUP_NOTE,        IDC_WAKEUP_TIME_LABEL,  IDC_WAKEUP_HOUR_UNIT,
                              IDC_WAKEUP_MINUTE_UNIT, IDC_WAKEUP_DAYS_LABEL,  IDC_WAKEUP_ALBUM_LABEL,
                              IDC_WAKEUP_SONG_LABEL,  IDC_WAKEUP_VOLUME_LABEL};
    for (int i = 0; i < 8; ++i)
        statics_[i].Bind(hwnd(), staticIds[i]);
    const int comboIds[5] = {IDC_WAKEUP_HOUR, IDC_WAKEUP_MINUTE, IDC_WAKEUP_AMPM, IDC_WAKEUP_ALBUM, IDC_WAKEUP_SONG};
    for (int i = 0; i < 5; ++i)
        combos_[i].Bind(hwnd(), comboIds[i]);
    volume_.Bind(hwnd(), IDC_WAKEUP_VOLUME);
}

BOOL CCWWakeup::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    const bool twelveHour = TwelveHourMode();
    if (twelveHour)
        AddNumbers(item(IDC_WAKEUP_HOUR), 1, 12);
    else
        AddNumbers(item(IDC_WAKEUP_HOUR), 0, 23);
    AddNumbers(item(IDC_WAKEUP_MINUTE), 0, 59);
    ComboBox_AddString(item(IDC_WAKEUP_AMPM), win32::LoadResString(IDS_WAKEUP_AM).c_str());
    ComboBox_AddString(item(IDC_WAKEUP_AMPM), win32::LoadResString(IDS_WAKEUP_PM).c_str());
    ComboBox_SetCurSel(item(IDC_WAKEUP_HOUR), 6);
    ComboBox_SetCurSel(item(IDC_WAKEUP_MINUTE), 0);
    ComboBox_SetCurSel(item(IDC_WAKEUP_AMPM), 0);
    HWND slider = item(IDC_WAKEUP_VOLUME);
    ::SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    ::SendMessageW(slider, TBM_SETPAGESIZE, 0, 10);

    ReadNoMusicTexts();
    BindSkins();
    AddTabStop(IDC_WAKEUP_ENABLE);
    AddTabStop(IDC_WAKEUP_HOUR);
    AddTabStop(IDC_WAKEUP_MINUTE);
    AddTabStop(IDC_WAKEUP_AMPM);
    for (int id : kDayBoxes)
        AddTabStop(id);
    for (int id : {IDC_WAKEUP_ALBUM, IDC_WAKEUP_SONG, IDC_WAKEUP_SET_VOLUME, IDC_WAKEUP_VOLUME})
        AddTabStop(id);
    return TRUE;
}

// The display program's texts for an entry without music, in the active language: from the Music module's
// per-user locale file, or the all-users copy while the user has none.
void CCWWakeup::ReadNoMusicTexts() {
    const std::wstring name = L"\\Music\\locale\\" + shell::GetLanguageCode(shell::GetLanguageIndex()) + L".xml";
    std::wstring common;
    shell::GetCommonModulesFolder(common);
    for (const std::wstring& file : {shell::GetModulesFolder(false, L"") + name, common + name}) {
        try {
            xmldata::XmlDocument locale;
            if (!locale.Load(file))
                continue;
            const xmldata::Node top = locale.DocumentNode();
            noAlbumText_ = locale.SelectText(L"/localeText/noData/@mAlbumTitle", top).value_or(L"");
            noTitleText_ = locale.SelectText(L"/localeText/noData/@pTitle", top).value_or(L"");
            return;
        } catch (const xmldata::XmlError&) {
        }
    }
}

int CCWWakeup::SelectedHour() const {
    wakeup::HourChoice choice;
    choice.index = std::max(0, ComboBox_GetCurSel(item(IDC_WAKEUP_HOUR)));
    choice.pm = ComboBox_GetCurSel(item(IDC_WAKEUP_AMPM)) == 1;
    return wakeup::ChoiceToHour(choice, TwelveHourMode());
}

void CCWWakeup::ShowHour(int hour) {
    const wakeup::HourChoice choice = wakeup::HourToChoice(hour, TwelveHourMode());
    ComboBox_SetCurSel(item(IDC_WAKEUP_HOUR), choice.index);
    ComboBox_SetCurSel(item(IDC_WAKEUP_AMPM), choice.pm ? 1 : 0);
}

bool CCWWakeup::DayChecked(int day) const {
    return Button_GetCheck(item(kDayBoxes[day])) == BST_CHECKED;
}

void CCWWakeup::UpdateEnabling() {
    const bool on = Button_GetCheck(item(IDC_WAKEUP_ENABLE)) == BST_CHECKED;
    for (int id : kScheduleControls)
        ::EnableWindow(item(id), on);
    for (int id : kDayBoxes)
        ::EnableWindow(item(id), on);
    for (int id : kMusicControls)
        ::EnableWindow(item(id), on);
    ::EnableWindow(item(IDC_WAKEUP_AMPM), on && TwelveHourMode());
    const bool volume = on && Button_GetCheck(item(IDC_WAKEUP_SET_VOLUME)) == BST_CHECKED;
    for (int id : kVolumeControls)
        ::EnableWindow(item(id), volume);
}

int CCWWakeup::LoadData() {
    if (!hwnd())
        return 0;
    win32::RegKey key = win32::CreateRegKey(HKEY_CURRENT_USER, wakeup::kTimerKey, KEY_ALL_ACCESS);
    const std::wstring shortcut = wakeup::StartupShortcutPath();
    loadedOn_ = !shortcut.empty() && ::GetFileAttributesW(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES;
    const wakeup::WakeTime time = wakeup::WakeTimeFromBytes(
        key ? wakeup::ReadBinaryValue(key.get(), L"WeekDayTimerProperties", 8) : std::nullopt);
    loadedHour_ = time.hour;
    loadedMinute_ = time.minute;
    Button_SetCheck(item(IDC_WAKEUP_ENABLE), loadedOn_ ? BST_CHECKED : BST_UNCHECKED);
    ShowHour(time.hour);
    ComboBox_SetCurSel(item(IDC_WAKEUP_MINUTE), time.minute);
    for (int day = 0; day < 7; ++day) {
        const std::wstring name = wakeup::DayValueName(wakeup::kDayValueNumbers[day]);
        loadedDays_[day] =
            wakeup::DayFlagFromBytes(key ? wakeup::ReadBinaryValue(key.get(), name.c_str(), 4) : std::nullopt) != 0;
        Button_SetCheck(item(kDayBoxes[day]), loadedDays_[day] ? BST_CHECKED : BST_UNCHECKED);
    }

    if (!library_) {
        library_ = std::make_unique<CMusicLibrary>();
        if (!library_->Open())
            library_.reset();
    }
    FillAlbums(key ? wakeup::ReadStringValue(key.get(), L"PlaylistID").value_or(L"") : L"",
               key ? wakeup::ReadStringValue(key.get(), L"SongID").value_or(L"") : L"");

    const auto setVolume = key ? wakeup::ReadDwordValue(key.get(), L"SetVolume") : std::nullopt;
    Button_SetCheck(item(IDC_WAKEUP_SET_VOLUME), setVolume && *setVolume ? BST_CHECKED : BST_UNCHECKED);
    const auto volume = key ? wakeup::ReadDwordValue(key.get(), L"Volume") : std::nullopt;
    ::SendMessageW(item(IDC_WAKEUP_VOLUME), TBM_SETPOS, TRUE, LPARAM(volume.value_or(kDefaultVolume)));
    UpdateEnabling();
    return 1;
}

void CCWWakeup::FillAlbums(const std::wstring& playlistId, const std::wstring& songId) {
    HWND albums = item(IDC_WAKEUP_ALBUM);
    ComboBox_ResetContent(albums);
    ComboBox_SetCurSel(albums, AddEntry(albums, noAlbumText_, kNoEntry));
    if (library_) {
        const auto& records = library_->albums();
        // The skin looks at the control's face after every message; a library of thousands of albums is
        // filled with the skin detached and no redrawing per entry.
        combos_[kAlbumCombo].Detach();
        ::SendMessageW(albums, WM_SETREDRAW, FALSE, 0);
        ::SendMessageW(albums, CB_INITSTORAGE, records.size() + 1, 64 * (records.size() + 1));
        for (size_t i = 0; i < records.size(); ++i) {
            const int index = AddEntry(albums, xmldata::XmlUnescape(records[i].Field(music::kAlbumTitle)), LPARAM(i));
            if (!playlistId.empty() && records[i].Field(music::kAlbumId) == playlistId)
                ComboBox_SetCurSel(albums, index);
        }
        ::SendMessageW(albums, WM_SETREDRAW, TRUE, 0);
        combos_[kAlbumCombo].Attach(albums);
    }
    FillSongs(songId);
}

// The songs of the chosen album; with no album only the entry for no title.
void CCWWakeup::FillSongs(const std::wstring& songId) {
    HWND songs = item(IDC_WAKEUP_SONG);
    ComboBox_ResetContent(songs);
    ComboBox_SetCurSel(songs, AddEntry(songs, noTitleText_, kNoEntry));
    HWND albums = item(IDC_WAKEUP_ALBUM);
    const LRESULT album = ComboBox_GetItemData(albums, ComboBox_GetCurSel(albums));
    if (!library_ || album == kNoEntry || album == CB_ERR)
        return;
    for (size_t index : library_->albums()[size_t(album)].songs) {
        const SongRecord& song = library_->songs()[index];
        const int entry = AddEntry(songs, xmldata::XmlUnescape(std::wstring(song.title)), LPARAM(index));
        if (!songId.empty() && song.trackingId == songId)
            ComboBox_SetCurSel(songs, entry);
    }
}

int CCWWakeup::IsModified() {
    if ((Button_GetCheck(item(IDC_WAKEUP_ENABLE)) == BST_CHECKED) != loadedOn_ || SelectedHour() != loadedHour_ ||
        ComboBox_GetCurSel(item(IDC_WAKEUP_MINUTE)) != loadedMinute_)
        return 1;
    for (int day = 0; day < 7; ++day)
        if (DayChecked(day) != loadedDays_[day])
            return 1;
    return 0;
}

void CCWWakeup::SaveSchedule(HKEY key) {
    if (key) {
        wakeup::WriteBinaryValue(key, L"WeekDayTimerProperties",
                                 wakeup::WakeTimeToBytes(SelectedHour(), ComboBox_GetCurSel(item(IDC_WAKEUP_MINUTE))));
        // Monday to Saturday, then Sunday (value 1) last.
        for (int day = 0; day < 7; ++day)
            wakeup::WriteBinaryValue(key, wakeup::DayValueName(wakeup::kDayValueNumbers[day]).c_str(),
                                     wakeup::DayFlagToBytes(DayChecked(day)));
    }
    const std::wstring shortcut = wakeup::StartupShortcutPath();
    if (Button_GetCheck(item(IDC_WAKEUP_ENABLE)) != BST_CHECKED) {
        wakeup::DeleteShortcut(shortcut);
        shell::BroadcastCode(shell::kCodeTimerSwitchedOff);
        return;
    }
    if (shortcut.empty())
        return;
    // The new shortcut replaces the old one in one step; without the wake-up program there is none at all.
    const std::wstring program = wakeup::WakeupProgramPath();
    if (program.empty() || ::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        wakeup::DeleteShortcut(shortcut);
    else
        wakeup::CreateShortcut(shortcut, program);
    if (::GetFileAttributesW(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES)
        wakeup::StartShortcut(shortcut);
}

void CCWWakeup::SaveMusicChoice(HKEY key) {
    if (!library_ || !key)
        return;
    ::RegDeleteValueW(key, L"PlaylistID");
    ::RegDeleteValueW(key, L"SongID");
    HWND albums = item(IDC_WAKEUP_ALBUM);
    const LRESULT album = ComboBox_GetItemData(albums, ComboBox_GetCurSel(albums));
    if (album != kNoEntry && album != CB_ERR)
        wakeup::WriteStringValue(key, L"PlaylistID", library_->albums()[size_t(album)].Field(music::kAlbumId));
    HWND songs = item(IDC_WAKEUP_SONG);
    const LRESULT song = ComboBox_GetItemData(songs, ComboBox_GetCurSel(songs));
    if (song != kNoEntry && song != CB_ERR)
        wakeup::WriteStringValue(key, L"SongID", std::wstring(library_->songs()[size_t(song)].trackingId));
}

void CCWWakeup::SaveData() {
    win32::RegKey key = win32::CreateRegKey(HKEY_CURRENT_USER, wakeup::kTimerKey, KEY_ALL_ACCESS);
    if (IsModified())
        SaveSchedule(key.get());
    SaveMusicChoice(key.get());
    if (key) {
        wakeup::WriteDwordValue(key.get(), L"SetVolume",
                                Button_GetCheck(item(IDC_WAKEUP_SET_VOLUME)) == BST_CHECKED ? 1 : 0);
        wakeup::WriteDwordValue(key.get(), L"Volume", DWORD(::SendMessageW(item(IDC_WAKEUP_VOLUME), TBM_GETPOS, 0, 0)));
    }
}

bool CCWWakeup::OnCommand(UINT id, UINT code, HWND control) {
    if ((id == IDC_WAKEUP_ENABLE || id == IDC_WAKEUP_SET_VOLUME) && code == BN_CLICKED) {
        UpdateEnabling();
        return true;
    }
    if (id == IDC_WAKEUP_ALBUM && code == CBN_SELCHANGE) {
        FillSongs(L"");
        return true;
    }
    return CConfWindowInf::OnCommand(id, code, control);
}

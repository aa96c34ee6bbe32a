#include "pages/world_clock/clock_dialogs.h"

#include "pages/world_clock/starting_city.h"
#include "res/resource.h"
#include "shell/language.h"

#include <windowsx.h>

namespace {

// The text of the combo box's entry at `index`.
std::wstring EntryText(HWND combo, int index) {
    std::wstring text(size_t(ComboBox_GetLBTextLen(combo, index)) + 1, L'\0');
    text.resize(size_t(ComboBox_GetLBText(combo, index, text.data())));
    return text;
}

} // namespace

CClockNameDialog::CClockNameDialog(UINT templateId, CClockEntry& entry, HWND parent)
    : VelourDialog2(templateId, parent), entry_(entry) {}

void CClockNameDialog::BindNameAndButtons() {
    ok_.Bind(hwnd(), IDOK);
    cancel_.Bind(hwnd(), IDCANCEL);
    name_.Bind(hwnd(), IDC_EDIT_CLOCK_NAME);
    name_.Velour();
    Edit_LimitText(item(IDC_EDIT_CLOCK_NAME), kMaxClockName);
}

void CClockNameDialog::ShowName(const std::wstring& name) {
    ::SetWindowTextW(item(IDC_EDIT_CLOCK_NAME), name.c_str());
    ::EnableWindow(item(IDOK), !NameEmpty());
}

bool CClockNameDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_EDIT_CLOCK_NAME && code == EN_CHANGE) {
        ::EnableWindow(item(IDOK), !NameEmpty());
        return true;
    }
    return VelourDialog2::OnCommand(id, code, control);
}

bool CClockNameDialog::NameEmpty() const {
    return ::GetWindowTextLengthW(item(IDC_EDIT_CLOCK_NAME)) == 0;
}

void CClockNameDialog::TakeName() {
    SetClockName(entry_, win32::WindowText(item(IDC_EDIT_CLOCK_NAME)));
}

CEditClockDialog::CEditClockDialog(UINT templateId, const CCityDatabase& database, CClockEntry& entry, HWND parent)
    : CClockNameDialog(templateId, entry, parent), database_(database) {}

const CTimeZone* CEditClockDialog::ZoneAt(int index) const {
    const LRESULT data = ComboBox_GetItemData(item(IDC_EDIT_CLOCK_CITY), index);
    return data == CB_ERR ? nullptr : reinterpret_cast<const CTimeZone*>(data);
}

BOOL CEditClockDialog::OnInitDialog() {
    VelourDialog2::OnInitDialog();
    groups_[0].Bind(hwnd(), IDC_EDIT_CLOCK_ZONE_GROUP);
    groups_[1].Bind(hwnd(), IDC_EDIT_CLOCK_NAME_GROUP);
    groups_[2].Bind(hwnd(), IDC_EDIT_CLOCK_DAYLIGHT_GROUP);
    statics_[0].Bind(hwnd(), IDC_EDIT_CLOCK_REGION_LABEL);
    statics_[1].Bind(hwnd(), IDC_EDIT_CLOCK_NAME_LABEL);
    daylight_.Bind(hwnd(), IDC_EDIT_CLOCK_DAYLIGHT);
    BindNameAndButtons();

    const CCityGroup* group = database_.FindCityGroup(shell::GetLanguageIndex());
    if (!group || group->cities.empty()) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    HWND combo = item(IDC_EDIT_CLOCK_CITY);
    // Filled before the skin binds: the skin looks at its face after every message, which for thousands of
    // cities would cost far more than the filling itself.
    ::SendMessageW(combo, CB_INITSTORAGE, group->cities.size(), group->cities.size() * 16 * sizeof(wchar_t));
    ::SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    int zoneMatch = -1, regionMatch = -1;
    for (const CCity& city : group->cities) {
        const int index = ComboBox_AddString(combo, city.name.c_str());
        ComboBox_SetItemData(combo, index, reinterpret_cast<LPARAM>(city.timeZone));
        if (entry_.timeZone && city.timeZone == entry_.timeZone) {
            if (zoneMatch < 0)
                zoneMatch = index;
            if (regionMatch < 0 && city.name == entry_.region)
                regionMatch = index;
        }
    }
    initialSelection_ = regionMatch >= 0 ? regionMatch : zoneMatch;
    initialName_ = entry_.name;
    if (initialSelection_ < 0) {
        // A new clock starts at the machine's own zone; a clock whose zone no city of this language lies in (or this
        // machine lacks) is offered the first city. The entry itself changes only on OK, so Cancel leaves it as it
        // was.
        const size_t start = entry_.zoneKey.empty() ? StartingCityIndex(*group, FindMainCityGroup(database_, *group),
                                                                        FindMachineTimeZone(database_.zones()))
                                                    : 0;
        initialName_ = group->cities[start].name;
        initialSelection_ = int(start);
    }
    ComboBox_SetCurSel(combo, initialSelection_);
    ::SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(combo, nullptr, TRUE);
    cities_.Bind(hwnd(), IDC_EDIT_CLOCK_CITY);
    ShowName(initialName_);
    Button_SetCheck(item(IDC_EDIT_CLOCK_DAYLIGHT), entry_.daylightSaving == 1 ? BST_CHECKED : BST_UNCHECKED);
    ShowDaylightFor(initialSelection_);
    return TRUE;
}

void CEditClockDialog::ShowDaylightFor(int selection) {
    const CTimeZone* zone = ZoneAt(selection);
    const int show = zone && zone->ObservesDaylightSaving() ? SW_SHOW : SW_HIDE;
    ::ShowWindow(item(IDC_EDIT_CLOCK_DAYLIGHT_GROUP), show);
    ::ShowWindow(item(IDC_EDIT_CLOCK_DAYLIGHT), show);
}

bool CEditClockDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_EDIT_CLOCK_CITY && code == CBN_SELCHANGE) {
        HWND combo = item(IDC_EDIT_CLOCK_CITY);
        const int selection = ComboBox_GetCurSel(combo);
        if (selection != initialSelection_) {
            ::SetDlgItemTextW(hwnd(), IDC_EDIT_CLOCK_NAME, EntryText(combo, selection).c_str());
        } else {
            ::SetDlgItemTextW(hwnd(), IDC_EDIT_CLOCK_NAME, initialName_.c_str());
        }
        ShowDaylightFor(selection);
        return true;
    }
    return CClockNameDialog::OnCommand(id, code, control);
}

void CEditClockDialog::OnOK() {
    if (NameEmpty())
        return;
    HWND combo = item(IDC_EDIT_CLOCK_CITY);
    const int selection = ComboBox_GetCurSel(combo);
    TakeName();
    entry_.daylightSaving = Button_GetCheck(item(IDC_EDIT_CLOCK_DAYLIGHT)) == BST_CHECKED ? 1 : 0;
    if (selection != CB_ERR) {
        SetClockZone(entry_, ZoneAt(selection));
        entry_.region = EntryText(combo, selection);
    }
    EndDialog(IDOK);
}

CEditDClockDialog::CEditDClockDialog(UINT templateId, CClockEntry& entry, int* subMode, int* twelveHour, int* seconds,
                                     HWND parent)
    : CClockNameDialog(templateId, entry, parent), subMode_(subMode), twelveHour_(twelveHour), seconds_(seconds) {}

BOOL CEditDClockDialog::OnInitDialog() {
    VelourDialog2::OnInitDialog();
    groups_[0].Bind(hwnd(), IDC_EDIT_DCLOCK_NAME_GROUP);
    groups_[1].Bind(hwnd(), IDC_EDIT_DCLOCK_SUB_GROUP);
    statics_[0].Bind(hwnd(), IDC_EDIT_DCLOCK_NAME_LABEL);
    statics_[1].Bind(hwnd(), IDC_EDIT_DCLOCK_FORMAT_LABEL);
    statics_[2].Bind(hwnd(), IDC_EDIT_DCLOCK_NOTATION_LABEL);
    const int radioIds[] = {IDC_CLOCK_ANALOG, IDC_CLOCK_DIGITAL, IDC_CLOCK_12_HOUR, IDC_CLOCK_24_HOUR};
    for (int i = 0; i < 4; ++i)
        radios_[i].Bind(hwnd(), radioIds[i]);
    secondsCheck_.Bind(hwnd(), IDC_CLOCK_SECONDS);
    BindNameAndButtons();
    ShowName(entry_.name);
    ::CheckRadioButton(hwnd(), IDC_CLOCK_ANALOG, IDC_CLOCK_DIGITAL,
                       *subMode_ == 0 ? IDC_CLOCK_ANALOG : IDC_CLOCK_DIGITAL);
    ::CheckRadioButton(hwnd(), IDC_CLOCK_12_HOUR, IDC_CLOCK_24_HOUR,
                       *twelveHour_ == 1 ? IDC_CLOCK_12_HOUR : IDC_CLOCK_24_HOUR);
    ::CheckDlgButton(hwnd(), IDC_CLOCK_SECONDS, *seconds_ == 1 ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CEditDClockDialog::OnOK() {
    if (NameEmpty())
        return;
    TakeName();
    *subMode_ = ::IsDlgButtonChecked(hwnd(), IDC_CLOCK_DIGITAL) == BST_CHECKED ? 1 : 0;
    *twelveHour_ = ::IsDlgButtonChecked(hwnd(), IDC_CLOCK_12_HOUR) == BST_CHECKED ? 1 : 0;
    *seconds_ = ::IsDlgButtonChecked(hwnd(), IDC_CLOCK_SECONDS) == BST_CHECKED ? 1 : 0;
    EndDialog(IDOK);
}

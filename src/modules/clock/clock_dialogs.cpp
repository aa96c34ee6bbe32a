#include "modules/clock/clock_dialogs.h"

#include "modules/clock/starting_city.h"
#include "res/resource.h"
#include "shell/language.h"

#include <windowsx.h>

namespace {

std::wstring WindowText(HWND window) {
    std::wstring text(size_t(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

} // namespace

CEditClockDialog::CEditClockDialog(UINT templateId, const CCityDatabase& database, CClockEntry& entry, HWND parent)
    : VelourDialog2(templateId, parent), database_(database), entry_(entry) {}

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
    ok_.Bind(hwnd(), IDOK);
    cancel_.Bind(hwnd(), IDCANCEL);
    name_.Bind(hwnd(), IDC_EDIT_CLOCK_NAME);
    name_.Velour();
    HWND edit = item(IDC_EDIT_CLOCK_NAME);
    Edit_LimitText(edit, kMaxClockName);

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
    ::SetWindowTextW(edit, initialName_.c_str());
    Button_SetCheck(item(IDC_EDIT_CLOCK_DAYLIGHT), entry_.daylightSaving == 1 ? BST_CHECKED : BST_UNCHECKED);
    ShowDaylightFor(initialSelection_);
    ::EnableWindow(item(IDOK), ::GetWindowTextLengthW(edit) > 0);
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
            std::wstring city(size_t(ComboBox_GetLBTextLen(combo, selection)) + 1, L'\0');
            city.resize(size_t(ComboBox_GetLBText(combo, selection, city.data())));
            ::SetDlgItemTextW(hwnd(), IDC_EDIT_CLOCK_NAME, city.c_str());
        } else {
            ::SetDlgItemTextW(hwnd(), IDC_EDIT_CLOCK_NAME, initialName_.c_str());
        }
        ShowDaylightFor(selection);
        return true;
    }
    if (id == IDC_EDIT_CLOCK_NAME && code == EN_CHANGE) {
        ::EnableWindow(item(IDOK), ::GetWindowTextLengthW(item(IDC_EDIT_CLOCK_NAME)) > 0);
        return true;
    }
    return VelourDialog2::OnCommand(id, code, control);
}

void CEditClockDialog::OnOK() {
    if (::GetWindowTextLengthW(item(IDC_EDIT_CLOCK_NAME)) == 0)
        return;
    HWND combo = item(IDC_EDIT_CLOCK_CITY);
    const int selection = ComboBox_GetCurSel(combo);
    SetClockName(entry_, WindowText(item(IDC_EDIT_CLOCK_NAME)));
    entry_.daylightSaving = Button_GetCheck(item(IDC_EDIT_CLOCK_DAYLIGHT)) == BST_CHECKED ? 1 : 0;
    if (selection != CB_ERR) {
        SetClockZone(entry_, ZoneAt(selection));
        std::wstring city(size_t(ComboBox_GetLBTextLen(combo, selection)) + 1, L'\0');
        city.resize(size_t(ComboBox_GetLBText(combo, selection, city.data())));
        entry_.region = city;
    }
    EndDialog(IDOK);
}

CEditDClockDialog::CEditDClockDialog(UINT templateId, CClockEntry& entry, int* subMode, int* twelveHour, int* seconds,
                                     HWND parent)
    : VelourDialog2(templateId, parent), entry_(entry), subMode_(subMode), twelveHour_(twelveHour), seconds_(seconds) {}

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
    ok_.Bind(hwnd(), IDOK);
    cancel_.Bind(hwnd(), IDCANCEL);
    name_.Bind(hwnd(), IDC_EDIT_CLOCK_NAME);
    name_.Velour();
    HWND edit = item(IDC_EDIT_CLOCK_NAME);
    Edit_LimitText(edit, kMaxClockName);
    ::SetWindowTextW(edit, entry_.name.c_str());
    ::CheckRadioButton(hwnd(), IDC_CLOCK_ANALOG, IDC_CLOCK_DIGITAL,
                       *subMode_ == 0 ? IDC_CLOCK_ANALOG : IDC_CLOCK_DIGITAL);
    ::CheckRadioButton(hwnd(), IDC_CLOCK_12_HOUR, IDC_CLOCK_24_HOUR,
                       *twelveHour_ == 1 ? IDC_CLOCK_12_HOUR : IDC_CLOCK_24_HOUR);
    ::CheckDlgButton(hwnd(), IDC_CLOCK_SECONDS, *seconds_ == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(item(IDOK), ::GetWindowTextLengthW(edit) > 0);
    return TRUE;
}

bool CEditDClockDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_EDIT_CLOCK_NAME && code == EN_CHANGE) {
        ::EnableWindow(item(IDOK), ::GetWindowTextLengthW(item(IDC_EDIT_CLOCK_NAME)) > 0);
        return true;
    }
    return VelourDialog2::OnCommand(id, code, control);
}

void CEditDClockDialog::OnOK() {
    if (::GetWindowTextLengthW(item(IDC_EDIT_CLOCK_NAME)) == 0)
        return;
    SetClockName(entry_, WindowText(item(IDC_EDIT_CLOCK_NAME)));
    *subMode_ = ::IsDlgButtonChecked(hwnd(), IDC_CLOCK_DIGITAL) == BST_CHECKED ? 1 : 0;
    *twelveHour_ = ::IsDlgButtonChecked(hwnd(), IDC_CLOCK_12_HOUR) == BST_CHECKED ? 1 : 0;
    *seconds_ = ::IsDlgButtonChecked(hwnd(), IDC_CLOCK_SECONDS) == BST_CHECKED ? 1 : 0;
    EndDialog(IDOK);
}

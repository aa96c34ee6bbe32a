#include "pages/calendar/calendar_page.h"

#include "res/resource.h"
#include "ui/categories.h"
#include "win32/app.h"
#include "xmldata/xml_document.h"

#include <array>
#include <shellapi.h>
#include <windowsx.h>

namespace {

constexpr std::array<const wchar_t*, 7> kWeekdays = {L"mon", L"tue", L"wed", L"thu", L"fri", L"sat", L"sun"};
constexpr wchar_t kWeekdayPath[] = L"./setting/calendar";
constexpr wchar_t kHolidayPath[] = L"./setting/holiday/display";

} // namespace

int WeekdayIndexFromText(const std::wstring& text) {
    for (int i = 0; i < 6; ++i)
        if (text == kWeekdays[size_t(i)])
            return i;
    return 6;
}

const wchar_t* WeekdayText(int index) {
    return index >= 0 && index <= 5 ? kWeekdays[size_t(index)] : kWeekdays[6];
}

CCWCalendarModule::CCWCalendarModule(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_CALENDAR, categoryList, okButton, font) {
    SetIdentity(IDS_CALENDAR_TITLE, IDS_CALENDAR_DESCRIPTION, kCategoryCalendar);
}

BOOL CCWCalendarModule::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    groups_[0].Bind(hwnd(), IDC_CALENDAR_GROUP);
    groups_[1].Bind(hwnd(), IDC_CALENDAR_HOLIDAY_GROUP);
    statics_[0].Bind(hwnd(), IDC_CALENDAR_FIRST_DAY_LABEL);
    statics_[1].Bind(hwnd(), IDC_CALENDAR_NOTE);
    // The list is filled before the skin is bound, so the strings do not pass through it.
    HWND combo = item(IDC_CALENDAR_FIRST_DAY);
    for (UINT id = IDS_WEEKDAY_MONDAY; id <= IDS_WEEKDAY_SUNDAY; ++id)
        ComboBox_AddString(combo, win32::LoadResString(id).c_str());
    weekdays_.Bind(hwnd(), IDC_CALENDAR_FIRST_DAY);
    holidayCheck_.Bind(hwnd(), IDC_CALENDAR_HOLIDAY_CHECK);
    if (link_.Attach(item(IDC_CALENDAR_LINK))) {
        ::SendMessageW(link_.hwnd(), WM_SETFONT, ::SendMessageW(hwnd(), WM_GETFONT, 0, 0), FALSE);
        link_.SetText(win32::LoadResString(IDS_CALENDAR_LINK));
    }
    AddTabStop(IDC_CALENDAR_FIRST_DAY);
    AddTabStop(IDC_CALENDAR_HOLIDAY_CHECK);
    AddTabStop(IDC_CALENDAR_LINK);
    return TRUE;
}

int CCWCalendarModule::LoadData() {
    if (!hwnd())
        return 0;
    xmldata::XmlDocument document;
    if (!LoadDataFile(document))
        return 0;
    auto weekday = document.SelectText(kWeekdayPath);
    auto holiday = document.SelectText(kHolidayPath);
    if (!weekday || !holiday)
        return 0;
    loadedWeekday_ = WeekdayIndexFromText(*weekday);
    loadedHoliday_ = *holiday == L"false" ? 0 : 1;
    ComboBox_SetCurSel(item(IDC_CALENDAR_FIRST_DAY), loadedWeekday_);
    Button_SetCheck(item(IDC_CALENDAR_HOLIDAY_CHECK), loadedHoliday_ ? BST_CHECKED : BST_UNCHECKED);
    return 1;
}

int CCWCalendarModule::IsModified() {
    const int holiday = Button_GetCheck(item(IDC_CALENDAR_HOLIDAY_CHECK)) == BST_CHECKED ? 1 : 0;
    return holiday != loadedHoliday_ || ComboBox_GetCurSel(item(IDC_CALENDAR_FIRST_DAY)) != loadedWeekday_ ? 1 : 0;
}

void CCWCalendarModule::SaveData() {
    EditDataFile([this](xmldata::XmlWriter& writer) {
        xmldata::Node weekday = writer.SelectNode(kWeekdayPath);
        xmldata::Node holiday = writer.SelectNode(kHolidayPath);
        if (!weekday || !holiday)
            return false;
        writer.SetText(weekday, WeekdayText(ComboBox_GetCurSel(item(IDC_CALENDAR_FIRST_DAY))));
        const bool shown = Button_GetCheck(item(IDC_CALENDAR_HOLIDAY_CHECK)) == BST_CHECKED;
        writer.SetText(holiday, shown ? L"true" : L"false");
        return true;
    });
}

bool CCWCalendarModule::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_CALENDAR_LINK) {
        ::ShellExecuteW(nullptr, nullptr, kCalendarServiceUrl, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    return CConfWindowInf::OnCommand(id, code, control);
}

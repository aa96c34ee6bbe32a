// The calendar page: the weekday the month view starts on, whether holidays are shown, and a link to the
// online calendar service that supplies the holidays.
#pragma once
#include "ui/conf_window_inf.h"
#include "ui/controls/link_control.h"
#include "velour/velour_controls.h"

#include <string>

// The calendar page opened by the link: a year calendar with the public holidays of the reader's country.
inline constexpr wchar_t kCalendarServiceUrl[] = L"https://www.timeanddate.com/calendar/";

// "mon" gives 0 ... "sat" 5; any other text 6 (Sunday). Case-sensitive.
int WeekdayIndexFromText(const std::wstring& text);
// 0 ... 5 give "mon" ... "sat"; anything else "sun".
const wchar_t* WeekdayText(int index);

class CCWCalendarModule : public CConfWindowInf {
public:
    CCWCalendarModule(HWND categoryList, HWND okButton, HFONT font);

    int Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) override;
    int LoadData() override;
    int IsModified() override;
    void SaveData() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    int loadedWeekday_ = 6;
    int loadedHoliday_ = 1;

    VelourGroupBox groups_[2];
    VelourStatic statics_[2];
    VelourComboBox weekdays_;
    VelourCheckBox holidayCheck_;
    CLinkControl link_;
};

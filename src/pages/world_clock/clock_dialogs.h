// The two dialogs that edit one clock: CEditClockDialog for a city's clock (also used to add one) and
// CEditDClockDialog for the local clock with the sub screen's options.
#pragma once
#include "pages/world_clock/city_database.h"
#include "pages/world_clock/clock_entry.h"
#include "pages/world_clock/clock_page.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"

// What both dialogs share: the clock's name, which OK takes only while it is not empty, and the OK and Cancel
// buttons.
class CClockNameDialog : public VelourDialog2 {
public:
    CClockNameDialog(UINT templateId, CClockEntry& entry, HWND parent);

protected:
    // Binds OK, Cancel and the name's edit, whose text is then no longer than a clock name may be.
    void BindNameAndButtons();
    void ShowName(const std::wstring& name);
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool NameEmpty() const;
    // Gives the clock the name in the edit.
    void TakeName();

    CClockEntry& entry_;

private:
    VelourEdit name_;
    VelourButton2 ok_, cancel_;
};

class CEditClockDialog : public CClockNameDialog {
public:
    CEditClockDialog(UINT templateId, const CCityDatabase& database, CClockEntry& entry, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    void ShowDaylightFor(int selection);
    const CTimeZone* ZoneAt(int index) const;

    const CCityDatabase& database_;
    int initialSelection_ = -1;
    // The name shown for the initial city: the entry's own, or the first city's when the entry's zone has none.
    std::wstring initialName_;

    VelourGroupBox groups_[3];
    VelourStatic statics_[2];
    VelourComboBox cities_;
    VelourCheckBox daylight_;
};

class CEditDClockDialog : public CClockNameDialog {
public:
    CEditDClockDialog(UINT templateId, CClockEntry& entry, int* subMode, int* twelveHour, int* seconds, HWND parent);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int* subMode_;
    int* twelveHour_;
    int* seconds_;

    VelourGroupBox groups_[2];
    VelourStatic statics_[3];
    VelourRadioButton radios_[4];
    VelourCheckBox secondsCheck_;
};

// The two dialogs that edit one clock: CEditClockDialog for a city's clock (also used to add one) and
// CEditDClockDialog for the local clock with the sub screen's options.
#pragma once
#include "modules/clock/city_database.h"
#include "modules/clock/clock_entry.h"
#include "modules/clock/clock_page.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"

class CEditClockDialog : public VelourDialog2 {
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
    CClockEntry& entry_;
    int initialSelection_ = -1;
    // The name shown for the initial city: the entry's own, or the first city's when the entry's zone has none.
    std::wstring initialName_;

    VelourGroupBox groups_[3];
    VelourStatic statics_[2];
    VelourComboBox cities_;
    VelourEdit name_;
    VelourCheckBox daylight_;
    VelourButton2 ok_, cancel_;
};

class CEditDClockDialog : public VelourDialog2 {
public:
    CEditDClockDialog(UINT templateId, CClockEntry& entry, int* subMode, int* twelveHour, int* seconds, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    CClockEntry& entry_;
    int* subMode_;
    int* twelveHour_;
    int* seconds_;

    VelourGroupBox groups_[2];
    VelourStatic statics_[3];
    VelourEdit name_;
    VelourRadioButton radios_[4];
    VelourCheckBox secondsCheck_;
    VelourButton2 ok_, cancel_;
};

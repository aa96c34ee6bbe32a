// The world clock page: the list of clocks (the local clock first, then up to six cities) and the display
// options of the main screen; the local clock's dialog also edits the sub screen's options.
#pragma once
#include "pages/world_clock/city_database.h"
#include "pages/world_clock/clock_entry.h"
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"

#include <memory>
#include <vector>

inline constexpr int kMaxClocks = 7;

// Which list buttons a selection allows; the local clock (index 0) always stays first.
struct ClockButtonStates {
    bool edit, remove, up, down;
};
ClockButtonStates ButtonStatesFor(int selection, int count);
// The top index that keeps `target` visible when `visible` items fit in the list.
int TopIndexShowing(int target, int top, int visible);

// The sub screen's options, edited only through the local clock's dialog.
struct SubScreenOptions {
    int mode = 0; // 0 analog, 1 digital
    int twelveHour = 0;
    int seconds = 0;
    bool operator==(const SubScreenOptions&) const = default;
};

class CCWClockModule : public CConfWindowInf {
public:
    CCWClockModule(HWND categoryList, HWND okButton, HFONT font);
    ~CCWClockModule() override;

    int Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) override;
    int LoadData() override;
    int IsModified() override;
    void SaveData() override;

    const CCityDatabase& database() const { return database_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnAdd();
    void OnDelete();
    void OnEdit();
    void OnMove(int offset);
    void UpdateButtons();
    void UpdateAddButton();
    void FocusListIfNothingFocused();
    HWND Owner() const;
    std::wstring ListText(const CClockEntry& entry, bool local) const;
    void ClearClocks();

    CCityDatabase database_;
    std::vector<std::unique_ptr<CClockEntry>> clocks_;
    std::vector<CClockEntry> loadedClocks_;
    SubScreenOptions sub_;
    SubScreenOptions loadedSub_;
    int loadedDigital_ = 0, loadedTwelveHour_ = 0, loadedSeconds_ = 0;
    HWND list_ = nullptr;

    VelourGroupBox groups_[2];
    VelourStatic statics_[4];
    VelourListBox listBox_;
    VelourButton buttons_[5];
    VelourRadioButton radios_[4];
    VelourCheckBox secondsCheck_;
};

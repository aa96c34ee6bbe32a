// The wake-up timer page: the weekly schedule, the music to play and its volume, kept in the registry for the
// wake-up program, which a shortcut in the user's Startup folder switches on.
#pragma once
#include "pages/music/music_library.h"
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"

#include <memory>

class CCWWakeup : public CConfWindowInf {
public:
    CCWWakeup(HWND categoryList, HWND okButton, HFONT font);
    ~CCWWakeup() override;

    int LoadData() override;
    int IsModified() override;
    // Called on every OK: the schedule part is written only when it changed.
    void SaveData() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    bool TwelveHourMode() const;
    void ReadNoMusicTexts();
    int SelectedHour() const;
    void ShowHour(int hour);
    bool DayChecked(int day) const;
    void UpdateEnabling();
    void FillAlbums(const std::wstring& playlistId, const std::wstring& songId);
    void FillSongs(const std::wstring& songId);
    void SaveSchedule(HKEY key);
    void SaveMusicChoice(HKEY key);
    void BindSkins();

    std::unique_ptr<CMusicLibrary> library_;
    std::wstring noAlbumText_;
    std::wstring noTitleText_;
    // As loaded, for the change check.
    bool loadedOn_ = false;
    int loadedHour_ = 0;
    int loadedMinute_ = 0;
    bool loadedDays_[7] = {};

    VelourCheckBox checks_[10];
    VelourGroupBox groups_[2];
    VelourStatic statics_[8];
    VelourComboBox combos_[5];
    VelourSliderCtrl volume_;
};

// The music module's page: show jacket pictures, play music at start-up, and the music folders that the folder
// watcher service indexes for the music module.
#pragma once
#include "pages/music/music_folder_list.h"
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"

inline constexpr wchar_t kMusicClientName[] = L"Skylume";

class CCWMusicModule : public CConfWindowInf {
public:
    CCWMusicModule(HWND categoryList, HWND okButton, HFONT font);

    int LoadData() override;
    int IsModified() override;
    void SaveData() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void FillFolderList();
    void AddFolder();
    void RemoveFolders();
    void OpenFolder();
    void UpdateButtons();
    bool Checked(int id) const;

    CMusicFolderList folders_;
    bool folderListChanged_ = false;
    int spectrum_ = 0;
    int jacket_ = 0;
    int autoplay_ = 0;
    HWND list_ = nullptr;
    VelourGroupBox groups_[3];
    VelourStatic statics_[2];
    VelourListCtrl listSkin_;
    VelourButton addButton_, removeButton_, openButton_;
    VelourCheckBox autoplayCheck_, jacketCheck_;
};

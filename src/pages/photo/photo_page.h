// The photo module's page: the list of photos and folders with a preview of the chosen one, adding and removing
// entries, and the view settings of each layout.
#pragma once
#include "pages/photo/photo_data.h"
#include "ui/conf_window_inf.h"
#include "ui/controls/image_control.h"
#include "velour/velour_controls.h"
#include "velour/velour_edge.h"

#include <memory>
#include <vector>

class CCWPhotoModule : public CConfWindowInf {
public:
    CCWPhotoModule(HWND categoryList, HWND okButton, HFONT font);
    ~CCWPhotoModule() override;

    int LoadData() override;
    void SaveData() override;
    int IsModified() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void DrawListItem(const DRAWITEMSTRUCT& drawn) override;
    void OnDestroy() override;

private:
    std::vector<CPhotoItem*> ShownItems() const;
    void ClearShown();
    // The extra picture formats that may be searched and shown: the file's flags, only with Flash 8 or later.
    photo::FormatFlags SearchableFormats() const;
    std::wstring FileTypeDescription() const;
    int InsertionPoint() const;
    void InsertItem(int index, CPhotoItem* item);
    // A removed item of the data set with this key, revived, or a new item the page owns.
    template <typename Item> CPhotoItem* ReviveOrCreate(const std::wstring& path);
    void UpdateButtons();
    void OnSelectionChanged();
    void AddPhotos();
    void AddFolder();
    void Remove();
    void ShowDetails();
    static int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data);

    CPhotoData data_;
    PhotoViews views_{};
    // Items created since the load; the items read from the file belong to the data set.
    std::vector<std::unique_ptr<CPhotoItem>> created_;
    HWND list_ = nullptr;
    CImageControl preview_;
    VelourGroupBox groups_[2];
    VelourStatic labels_[2];
    VelourButton buttons_[4];
    VelourComboBox layout_;
    VelourEdge listEdge_;
    VelourScrollBarPaintHook listScrollBars_;
};

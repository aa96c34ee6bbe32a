// The Display page: the list of background pictures and movies, the one chosen (or none), how it is fitted to
// the screen, and a preview of it in the Flash Player control.
#pragma once
#include "pages/display/flash_preview.h"
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"
#include "velour/velour_edge.h"

#include <memory>
#include <string>
#include <vector>

class CCWDisplay : public CConfWindowInf {
public:
    CCWDisplay(HWND categoryList, HWND okButton, HFONT font);
    ~CCWDisplay() override;

    int LoadData() override;
    void SaveData() override;
    int IsModified() override;
    // Writes bkimglist.dat from the list; the settings window calls it on every OK. A list file that was not read
    // in full is written only when the user changed the list.
    void SaveBackgroundList();

    // The paths listed after the "none" entry, in list order.
    std::vector<std::wstring> ListedPaths() const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    std::wstring BackgroundListPath() const;
    void ReadBackgroundList();
    void ClearList();
    int InsertEntry(int index, const std::wstring& text);
    const std::wstring* EntryAt(int index) const;
    void AddFiles();
    void RemoveFile();
    void UpdatePreview();
    void ShowPreviewMessage(UINT stringId);
    void DrawEntry(const DRAWITEMSTRUCT& drawn);

    HWND list_ = nullptr;
    FlashPreview preview_;
    // The texts the list's items point at; each entry owns its text.
    std::vector<std::unique_ptr<std::wstring>> entries_;
    // Whether the list file held no more than what was listed, and whether the user added or removed an entry.
    bool listReadWhole_ = false;
    bool listChanged_ = false;
    std::wstring loadedPosition_;
    std::wstring loadedBackground_;
    VelourGroupBox group_;
    VelourStatic labels_[2];
    VelourComboBox position_;
    VelourButton addButton_;
    VelourButton removeButton_;
    VelourEdge listEdge_;
    VelourScrollBarPaintHook listScrollBars_;
};

namespace display {
// The keyword stored for a position box index: 0 "center", 1 "resize", anything else "zoom".
const wchar_t* PositionKeyword(int index);
// The index of a stored keyword, or -1 when it is none of the three.
int PositionIndex(const std::wstring& keyword);
// Whether a chosen file may be listed: ".jpeg", ".jpg" or ".swf", ignoring case.
bool HasBackgroundExtension(const std::wstring& path);
} // namespace display

// The General page: which modules the display program shows, screen burn-in prevention, and whether the
// display program shows its operation-mode screen.
#pragma once
#include "ui/conf_window_inf.h"
#include "ui/module_selection.h"
#include "velour/velour_controls.h"
#include "velour/velour_edge.h"
#include "win32/handle.h"

inline constexpr wchar_t kNotShowModeScreenValue[] = L"NotShowPSDialog";

class CCWGeneral : public CConfWindowInf {
public:
    CCWGeneral(HWND categoryList, HWND okButton, HFONT font);

    int Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) override;
    int LoadData() override;
    int IsModified() override;
    void SaveData() override;
    // Written on every OK, changed or not.
    void SaveModeScreenChoice();

    // The settings dialog adds one entry per module page before the page loads.
    void AddModuleEntry(const std::wstring& name, CConfWindowInf* page);
    const ModuleSelection& selection() const { return selection_; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ToggleItem(int index);
    void DrawModuleItem(const DRAWITEMSTRUCT& item);
    // The check bitmaps of the set nearest the page's DPI.
    void LoadCheckBitmaps();
    static LRESULT CALLBACK ModuleListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);

    ModuleSelection selection_;
    int loadedBurnIn_ = 0;
    HWND moduleList_ = nullptr;
    VelourEdge listEdge_;
    VelourScrollBarPaintHook listScrollBars_;
    VelourGroupBox groups_[3];
    VelourStatic statics_[3];
    VelourCheckBox burnInCheck_;
    VelourCheckBox modeScreenCheck_;
    VelourButton upButton_;
    VelourButton downButton_;
    win32::Bitmap checkedBitmap_;
    win32::Bitmap uncheckedBitmap_;
    int bitmapScale_ = 0;
};

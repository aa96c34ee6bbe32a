// The settings window: a modal dialog with the category list, the title band, the selected page and OK, Cancel
// and Help. It creates every page at start, saves the changed ones at OK and tells the display program.
#pragma once
#include "ui/conf_window_inf.h"
#include "ui/controls/config_item_window.h"
#include "ui/tessel_dialog.h"
#include "velour/velour_controls.h"
#include "velour/velour_edge.h"
#include "win32/handle.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CCWGeneral;

class CTesselConfigDialog : public CTesselDialog {
public:
    explicit CTesselConfigDialog(HWND parent = nullptr);
    ~CTesselConfigDialog() override;

    bool PreTranslateMessage(MSG& msg) override;
    CConfWindowInf* currentPage() const { return currentPage_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;

private:
    // The window's font from the template's face and height.
    void CreateDialogFont(const LOGFONTW& templateFont);
    // Places the list, title band, pages and buttons for the client height the template gives and the font's
    // dialog base units, and sizes the window to them; at `topLeft` when given, else about its centre.
    void LayOut(int clientHeight, SIZE baseUnits, const POINT* topLeft);
    void OnDpiChanged(int dpi, const RECT* suggested);
    bool CreatePages();
    // Creates and loads one page; on failure the page is dropped and false returned.
    bool AddPage(std::unique_ptr<CConfWindowInf> page, const std::wstring& moduleName, bool load);
    bool AddNewsPages();
    void AppendToList(CConfWindowInf* page);
    void FillGeneralModuleList();
    void OnCategorySelected();
    void OnHelp();
    void FailPageLoad();
    void DrawCategoryItem(const DRAWITEMSTRUCT& item);
    // The list bitmap of a resource id, loaded on its first paint and kept for the window's life.
    HBITMAP CategoryBitmapHandle(int resourceId);
    CConfWindowInf* PageAt(int index) const;
    int PageCount() const;

    HWND categoryList_ = nullptr;
    VelourEdge listEdge_;
    VelourScrollBarPaintHook listScrollBars_;
    VelourButton2 okButton_;
    VelourButton2 cancelButton_;
    VelourButton2 helpButton_;
    win32::Font font_;
    // The template's font at the DPI the window moved to (the pages' controls take it); none before a change.
    win32::Font pageFont_;
    int layoutDpi_ = 0;
    win32::Brush backgroundBrush_;
    std::unique_ptr<CConfigItemWindow> titleBand_;
    CConfWindowInf* currentPage_ = nullptr;
    CConfWindowInf* newsRegisterPage_ = nullptr;
    CCWGeneral* generalPage_ = nullptr;
    win32::Icon bigIcon_;
    win32::Icon smallIcon_;
    RECT pageRect_ = {};
    std::vector<std::wstring> additionalModules_;
    std::vector<std::unique_ptr<CConfWindowInf>> pages_;
    std::map<int, win32::Bitmap> categoryBitmaps_;
};

// Sub-folders of the all-users Modules folder that are additional modules (not a built-in module, not "locale").
std::vector<std::wstring> FindAdditionalModuleFolders(const std::wstring& commonModulesFolder);
// Whether a Modules sub-folder of this name is left out of the additional modules (any letter case).
bool IsBuiltInModuleFolder(const std::wstring& name);
// A page title shortened for the General page's module list: cut before the first " - ".
std::wstring ShortModuleName(const std::wstring& title);

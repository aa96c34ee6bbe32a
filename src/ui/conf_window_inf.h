// The base of every settings page: a modeless child dialog inside the settings window, with the protocol by
// which the settings window creates it, loads and saves its data file, asks whether it changed and shows it.
#pragma once
#include "win32/dialog.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace xmldata {
class XmlDocument;
class XmlWriter;
} // namespace xmldata

class CConfWindowInf : public win32::Dialog {
public:
    CConfWindowInf(UINT templateId, HWND categoryList, HWND okButton, HFONT font);
    ~CConfWindowInf() override;

    // Creates the page's template as a child of the settings dialog at `rect`; 1 on success.
    virtual int Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog);
    virtual void SaveData() = 0;
    virtual int IsModified() = 0;
    virtual int OnPageActivate() { return 1; }
    virtual int LoadData() = 0;
    virtual void RestoreDefaultData();
    virtual void PaintPageBackground(HDC dc, int x, int y, int width, int height);
    // The settings window went from `fromDpi` to `toDpi`: its controls are rescaled already (RescaleChildWindows)
    // and `font` is the window's font at the new DPI.
    virtual void OnDpiChanged(HFONT font, int fromDpi, int toDpi);

    void GetDataFilePath(std::wstring& path) const;
    void GetModuleFolderPath(std::wstring& path) const;
    // The all-users default copy of the page's data file.
    std::wstring DefaultDataFilePath() const;
    // LoadData, and when the page's own file fails it (or the XML layer throws on it) one restore of the all-users
    // default file and a second try. The user's file is kept beside it first (`KeepDamagedCopy`); a failure from
    // elsewhere (FailedElsewhere, or no XML parser at all) restores nothing.
    int LoadOrRestore();
    void ShowPageHelp();
    // The settings window's help operation, as its Help button gives it (the page's own topic).
    void RequestHelp();
    // Moves the focus to a control of the page (Tab, Shift+Tab from the settings window's buttons).
    virtual void FocusControl(HWND control);

    const std::wstring& title() const { return title_; }
    const std::wstring& description() const { return description_; }
    int category() const { return category_; }
    const std::wstring& moduleName() const { return moduleName_; }
    HFONT font() const { return font_; }
    const std::vector<HWND>& tabStops() const { return tabStops_; }

    bool PreTranslateMessage(MSG& msg) override;

    // The page's next or previous tab stop after `from` (nullptr when there is none).
    HWND NextTabStop(HWND from, bool backwards) const;
    HWND FirstTabStop() const { return NextTabStop(nullptr, false); }
    HWND LastTabStop() const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Called by a LoadData that fails for a reason outside the page's own file (a program file, the registry):
    // restoring the default copy would not mend it and would cost the user's file.
    void FailedElsewhere() { failedElsewhere_ = true; }

    // The page's title and description in the title band (string ids of the active language) and its category.
    void SetIdentity(UINT titleId, UINT descriptionId, int category);

    void AddTabStop(int controlId) { tabStops_.push_back(item(controlId)); }
    void AddTabStopWindow(HWND control) { tabStops_.push_back(control); }
    void InsertTabStopWindow(size_t at, HWND control) {
        tabStops_.insert(tabStops_.begin() + std::min(at, tabStops_.size()), control);
    }

    // The page's data file loaded into `document`; false when the page has no file path or the file does not load.
    bool LoadDataFile(xmldata::XmlDocument& document) const;
    // Changes the page's data file in place through `edit` and saves it when `edit` returns true; nothing happens
    // when the page has no file path or the file does not load.
    void EditDataFile(const std::function<bool(xmldata::XmlWriter& writer)>& edit) const;

    // Names the page's owner-drawn list: the page base answers its WM_MEASUREITEM with `itemHeight` pixels at
    // 96 DPI and hands every item's WM_DRAWITEM (not the empty list's focus, item -1) to DrawListItem.
    void SetOwnerDrawnList(int listId, int itemHeight) {
        ownerDrawnList_ = listId;
        ownerDrawnItemHeight_ = itemHeight;
    }
    virtual void DrawListItem(const DRAWITEMSTRUCT&) {}

    std::wstring title_;
    std::wstring description_;
    int category_ = 0;

private:
    // Keeps the user's file beside it before a restore; false when it exists but could not be kept.
    bool KeepDamagedCopy();

    std::vector<HWND> tabStops_;
    HFONT font_;
    std::wstring moduleName_;
    HWND categoryList_;
    HWND okButton_;
    HACCEL accelerators_ = nullptr;
    bool failedElsewhere_ = false;
    int ownerDrawnList_ = 0;
    int ownerDrawnItemHeight_ = 0;
};

// What a restore keeps of the user's data file, beside it: "data.xml.bad", and when that already holds other
// bytes "data.xml.bad2", "data.xml.bad3" and so on. A backup is never overwritten; a file whose bytes a backup or
// the default copy already holds gets none.
inline constexpr wchar_t kDamagedCopySuffix[] = L".bad";
// The path of the n-th backup (n from 1) of the data file at `path`.
std::wstring DamagedCopyPath(const std::wstring& path, int n);
// Keeps `bytes` (the user's data file at `path`) as the first backup that holds them or the first free one;
// false when none could be written.
bool KeepDamagedCopy(const std::wstring& path, const std::string& bytes);

inline constexpr COLORREF kPageBackground = RGB(215, 221, 224);

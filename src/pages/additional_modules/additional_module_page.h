// The settings page of an additional module, built at run time from the settings description the module ships:
// one item control per setting in a vertically scrolling column, saved as a list of `item` elements.
#pragma once
#include "pages/additional_modules/conf_control_inf.h"
#include "ui/conf_window_inf.h"
#include "ui/controls/group_title_window.h"
#include "velour/velour_edge.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// How the description treated the page, one setting item or one group, for module authors.
struct DescriptionVerdict {
    enum class Subject { Page, Item, ItemWithoutName, Group };
    Subject subject = Subject::Item;
    std::wstring key;   // the item's name
    std::wstring group; // the title of the group the item stands in, or the group's own title
    std::wstring kind;  // the control type used, when accepted
    bool accepted = false;
    std::wstring rule; // why it was refused
    // What the page does otherwise than the description says (ignored children, values it rewrites).
    std::vector<std::wstring> notes;
    CConfControlInf* control = nullptr;
};

// Why a description file was not used.
struct DescriptionFileRefusal {
    enum class Problem { Missing, NotWellFormed, Refused };
    std::wstring path;
    Problem problem = Problem::Missing;
    std::wstring rule; // for a refused root: which rule refused it
};

class CCWAdditionalModule : public CConfWindowInf {
public:
    CCWAdditionalModule(HWND categoryList, HWND okButton, HFONT font);
    ~CCWAdditionalModule() override;

    // Copies the all-users description files the user lacks, then builds the page from the per-user folder.
    // False when the module has no usable description.
    int Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) override;
    // Builds the page from the description files in `folder` for the language `languageCode`.
    int CreateFromFolder(const std::wstring& moduleName, const std::wstring& folder, const std::wstring& languageCode,
                         const RECT& rect, HWND settingsDialog);
    int LoadData() override;
    void SaveData() override;
    int IsModified() override;
    // Starts making the item windows, the first time the page is about to be shown.
    int OnPageActivate() override;
    // Makes every item window now (the module checker, before it reports and draws the page).
    void RealizeAllItems();
    bool PreTranslateMessage(MSG& msg) override;

    bool ParseWindow(xmldata::NodeRef root);
    bool ParseGroup(xmldata::NodeRef groupItem, int position, int left, int width, int& height);
    bool ParseItem(xmldata::NodeRef settingItem, const std::wstring& key, int position, int left, int width,
                   const std::wstring& group, int& height);

    // Reads values from this file instead of the module's per-user data.xml (the module checker).
    void UseDataFile(std::wstring path) { dataFile_ = std::move(path); }

    const std::vector<std::unique_ptr<CConfControlInf>>& controls() const { return controls_; }
    const std::vector<std::unique_ptr<CGroupTitleWindow>>& groupTitles() const { return groupTitles_; }
    const std::vector<DescriptionVerdict>& verdicts() const { return verdicts_; }
    // The description file the page was built from, and why each file tried before it was refused.
    const std::wstring& descriptionFile() const { return descriptionFile_; }
    const std::vector<DescriptionFileRefusal>& refusedFiles() const { return refusedFiles_; }
    int contentHeight() const { return contentHeight_; }
    int lineStep() const;
    // Also scrolls the item that holds the control into view.
    void FocusControl(HWND control) override;
    void OnDpiChanged(HFONT font, int fromDpi, int toDpi) override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Loads one description file and checks its root; the reason it was refused otherwise.
    bool ReadDescription(const std::wstring& path, xmldata::XmlDocument& document);
    void LayOut(xmldata::NodeRef root, int width);
    void StartRealizing();
    // Makes up to `count` more item windows, in order, of the items placed above `above`.
    void RealizeItems(size_t count, int above);
    int ScrollPosition() const;
    void Scroll(int request, int thumb);
    void ScrollTo(int position);
    void ScrollIntoView(HWND control);
    bool Scrolls() const;
    bool OnKey(UINT key);
    std::wstring DataFile() const;

    win32::MemoryDc measuringDc_;
    ConfOwnerInfo owner_;
    std::vector<std::unique_ptr<CConfControlInf>> controls_;
    std::vector<std::unique_ptr<CGroupTitleWindow>> groupTitles_;
    std::vector<DescriptionVerdict> verdicts_;
    std::vector<DescriptionFileRefusal> refusedFiles_;
    std::wstring descriptionFile_;
    std::wstring dataFile_;
    int contentHeight_ = 0;
    bool laidOut_ = false;
    bool activated_ = false;
    // The leading items whose windows exist.
    size_t realized_ = 0;
    VelourScrollBarPaintHook scrollBarSkin_;
};

// The news options page: refresh interval, items per site, rotation, opening items in a web browser (and which
// one), item order and the podcast options. Values live in the news module's data.xml, the browser in the
// registry.
#pragma once
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"

#include <string>
#include <vector>

namespace news {

// The values each combo offers, in combo order; the data file stores the value, the combo shows the string.
inline constexpr int kRefreshMinutes[] = {0, 30, 60, 120, 240, 480, 1440};
inline constexpr int kMaxItems[] = {5, 10, 20, 30, 40, 50};
inline constexpr int kRotationSeconds[] = {1, 5, 10, 30, 60, 300, 600};
inline constexpr const wchar_t* kSortValues[] = {L"original", L"newer", L"older"};

// The row holding `value`, or -1.
int RowOfValue(const int* values, size_t count, int value);
// 1 for "newer", 2 for "older" (any letter case), else 0.
int SortIndexOfText(const std::wstring& text);

// A browser offered in the combo: its key below StartMenuInternet and the name shown.
struct BrowserEntry {
    std::wstring key;
    std::wstring name;
};
// The browsers of HKEY_LOCAL_MACHINE\Software\Clients\StartMenuInternet whose program exists.
std::vector<BrowserEntry> FindBrowsers();
// "@file,-id" names a string resource of a file; the string, or empty when it cannot be loaded.
std::wstring LoadIndirectString(const std::wstring& reference);

} // namespace news

class CCWRSSModule_Option : public CConfWindowInf {
public:
    CCWRSSModule_Option(HWND categoryList, HWND okButton, HFONT font);

    int LoadData() override;
    void SaveData() override;
    int IsModified() override;
    // Written on every OK when nothing else on this page changed.
    void SaveBrowserChoice();
    // The register page's list after every change: the display options need at least one site.
    void UpdateFromSiteList(HWND siteList);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    struct Values {
        int rotation = -1, refresh = -1, maxItem = -1;
        bool rotate = false, openUrl = false;
        int sort = 0;
        bool autoDownload = true, autoPlay = true, skipPlayed = true;
    };
    Values CurrentValues() const;
    void BuildBrowserList();
    void ApplyEnabling();
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);

    std::vector<std::wstring> browserKeys_;
    std::wstring chosenBrowser_;
    Values loaded_;
    int siteCount_ = 0;
    VelourGroupBox groups_[2];
    VelourStatic labels_[7];
    VelourComboBox combos_[4];
    VelourCheckBox checks_[5];
    VelourRadioButton sortButtons_[3];
};

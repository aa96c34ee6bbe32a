// The news register page: the list of news sites (channels.opml), edited in memory and written at OK; add by
// URL, delete, rename, reorder and import from an OPML file. Sites added by an ADDRSS run while the window is
// open are merged in on the display program's site-added message.
#pragma once
#include "modules/news/channel_list.h"
#include "ui/conf_window_inf.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"
#include "velour/velour_edge.h"

#include <string>
#include <vector>

class CCWRSSModule_Option;

class CCWRSSModule_Register : public CConfWindowInf {
public:
    CCWRSSModule_Register(HWND categoryList, HWND okButton, HFONT font, CCWRSSModule_Option* optionsPage);

    int Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) override;
    int LoadData() override;
    void SaveData() override;
    int IsModified() override;
    // Takes in the sites an ADDRSS run recorded while the window is open, then updates the buttons.
    void MergeAdditionalFeeds();
    // Inserts the channels of an OPML file after the selection; false when the file is not usable OPML.
    // `limitReached` tells whether 50 sites were reached with outlines still to come.
    bool ImportOpmlFile(const std::wstring& path, bool& limitReached);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    void UpdateButtons();
    // Appends the recorded sites that the list lacks, up to the limit, as loaded (not a change by the user).
    void TakeAdditionalSites();
    void OnAdd();
    void OnDelete();
    void OnEdit();
    void OnImport();
    void Move(int from, int to);
    std::wstring CacheFolder() const;

    HWND siteList_ = nullptr;
    CCWRSSModule_Option* optionsPage_;
    news::ChannelListHeader header_;
    std::vector<std::wstring> loadedTitles_, loadedUrls_;
    VelourEdge listEdge_;
    VelourScrollBarPaintHook listScrollBars_;
    VelourGroupBox group_;
    VelourStatic label_, note_;
    VelourButton buttons_[6];
};

// The name dialog: edits a site's name; leading spaces (ordinary or ideographic) are dropped as typed.
class CRSSEditDialog : public VelourDialog2 {
public:
    CRSSEditDialog(std::wstring* name, std::wstring url, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    std::wstring* name_;
    std::wstring url_;
    VelourStatic label_, urlText_;
    VelourEdit edit_;
    VelourButton2 ok_, cancel_;
};

namespace news {
// The text without its leading U+0020 and U+3000 spaces.
std::wstring StripLeadingSpaces(const std::wstring& text);
} // namespace news

#include "pages/news/register_page.h"

#include "pages/news/add_site.h"
#include "pages/news/additional_feeds.h"
#include "pages/news/named_mutex.h"
#include "pages/news/options_page.h"
#include "pages/news/site_list_box.h"
#include "res/resource.h"
#include "ui/categories.h"
#include "ui/list_drawing.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "win32/gdi.h"
#include "win32/strings.h"

#include <commdlg.h>
#include <windowsx.h>

namespace news {
std::wstring StripLeadingSpaces(const std::wstring& text) {
    size_t start = 0;
    while (start < text.size() && (text[start] == L' ' || text[start] == L'\u3000'))
        ++start;
    return text.substr(start);
}
} // namespace news

CCWRSSModule_Register::CCWRSSModule_Register(HWND categoryList, HWND okButton, HFONT font,
                                             CCWRSSModule_Option* optionsPage)
    : CConfWindowInf(IDD_PAGE_NEWS_REGISTER, categoryList, okButton, font), optionsPage_(optionsPage) {
    SetIdentity(IDS_NEWS_TITLE, IDS_NEWS_DESCRIPTION, kCategoryNews);
    SetOwnerDrawnList(IDC_NEWS_SITE_LIST, 18);
}

int CCWRSSModule_Register::Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) {
    const int created = CConfWindowInf::Create(moduleName, rect, settingsDialog);
    // Sites an ADDRSS run recorded before this window opened are already in channels.opml.
    news::DeleteAdditionalFeeds();
    return created;
}

BOOL CCWRSSModule_Register::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    siteList_ = item(IDC_NEWS_SITE_LIST);
    listEdge_.HookWindow(siteList_);
    listScrollBars_.HookWindow(siteList_);
    group_.Bind(hwnd(), IDC_NEWS_GROUP);
    label_.Bind(hwnd(), IDC_NEWS_LABEL);
    note_.Bind(hwnd(), IDC_NEWS_NOTE);
    const int buttonIds[] = {IDC_NEWS_ADD, IDC_NEWS_DELETE, IDC_NEWS_EDIT, IDC_NEWS_IMPORT, IDC_NEWS_UP, IDC_NEWS_DOWN};
    for (int i = 0; i < 6; ++i)
        buttons_[i].Bind(hwnd(), buttonIds[i]);
    AddTabStop(IDC_NEWS_SITE_LIST);
    for (int id : buttonIds)
        AddTabStop(id);
    return TRUE;
}

std::wstring CCWRSSModule_Register::CacheFolder() const {
    std::wstring folder;
    GetModuleFolderPath(folder);
    return folder.empty() ? std::wstring() : folder + L"\\Cache";
}

int CCWRSSModule_Register::LoadData() {
    if (!hwnd())
        return 0;
    news::DeleteAllSites(siteList_);
    loadedTitles_.clear();
    loadedUrls_.clear();
    std::vector<std::unique_ptr<CRSSChannel>> channels;
    const std::wstring cache = CacheFolder();
    if (!cache.empty())
        news::LoadChannelList(header_, cache, channels);
    for (auto& channel : channels) {
        loadedTitles_.push_back(channel->title);
        loadedUrls_.push_back(channel->xmlUrl);
        news::InsertSite(siteList_, -1, std::move(channel));
    }
    if (news::SiteCount(siteList_) > 0)
        ListBox_SetCurSel(siteList_, 0);
    UpdateButtons();
    return 1;
}

void CCWRSSModule_Register::SaveData() {
    const std::wstring cache = CacheFolder();
    if (cache.empty())
        return;
    // An ADDRSS run appends a site and records it within one hold of this mutex. Holding it from taking the
    // recorded sites until the file is written means a site that run announced is either taken in here or
    // appended to the file written here; a broadcast still queued behind OK would come too late.
    news::ScopedNamedMutex listLock(news::kChannelListMutex);
    TakeAdditionalSites();
    std::vector<CRSSChannel*> channels;
    for (int i = 0, count = news::SiteCount(siteList_); i < count; ++i)
        channels.push_back(news::SiteAt(siteList_, i));
    news::SaveChannelList(header_, cache, channels);
}

int CCWRSSModule_Register::IsModified() {
    const int count = news::SiteCount(siteList_);
    if (size_t(count) != loadedTitles_.size())
        return 1;
    for (int i = 0; i < count; ++i) {
        const CRSSChannel* channel = news::SiteAt(siteList_, i);
        if (channel->title != loadedTitles_[size_t(i)] || channel->xmlUrl != loadedUrls_[size_t(i)])
            return 1;
    }
    return 0;
}

void CCWRSSModule_Register::UpdateButtons() {
    const int selected = news::SelectedSite(siteList_);
    const int count = news::SiteCount(siteList_);
    ::EnableWindow(item(IDC_NEWS_ADD), count < news::kMaxChannels);
    ::EnableWindow(item(IDC_NEWS_DELETE), selected != -1);
    ::EnableWindow(item(IDC_NEWS_EDIT), selected != -1);
    ::EnableWindow(item(IDC_NEWS_IMPORT), count < news::kMaxChannels);
    ::EnableWindow(item(IDC_NEWS_UP), selected >= 1);
    ::EnableWindow(item(IDC_NEWS_DOWN), selected != -1 && selected < count - 1);
    // A button that had the focus may just have been disabled; the focus then goes to the list (not while the
    // page is hidden, as when it loads).
    if (::IsWindowVisible(siteList_) && !::GetFocus())
        ::SetFocus(siteList_);
    if (optionsPage_)
        optionsPage_->UpdateFromSiteList(siteList_);
}

void CCWRSSModule_Register::OnAdd() {
    CRSSAddDialog dialog(L"", L"", siteList_, ::GetAncestor(hwnd(), GA_ROOT));
    if (dialog.DoModal() == IDOK)
        UpdateButtons();
}

void CCWRSSModule_Register::OnDelete() {
    if (win32::AppMessageBox(IDS_NEWS_DELETE_CONFIRM, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const int selected = news::SelectedSite(siteList_);
    if (selected == -1)
        return;
    const int top = ListBox_GetTopIndex(siteList_);
    ::SendMessageW(siteList_, WM_SETREDRAW, FALSE, 0);
    news::TakeSite(siteList_, selected);
    ListBox_SetTopIndex(siteList_, top);
    ::SendMessageW(siteList_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(siteList_, nullptr, TRUE);
    UpdateButtons();
}

void CCWRSSModule_Register::OnEdit() {
    const int selected = news::SelectedSite(siteList_);
    CRSSChannel* channel = selected == -1 ? nullptr : news::SiteAt(siteList_, selected);
    if (!channel)
        return;
    std::wstring name = channel->title;
    CRSSEditDialog dialog(&name, channel->xmlUrl, ::GetAncestor(hwnd(), GA_ROOT));
    if (dialog.DoModal() != IDOK)
        return;
    channel->title = name;
    RECT rect;
    if (ListBox_GetItemRect(siteList_, selected, &rect) != LB_ERR)
        ::InvalidateRect(siteList_, &rect, TRUE);
}

void CCWRSSModule_Register::Move(int from, int to) {
    ::SendMessageW(siteList_, WM_SETREDRAW, FALSE, 0);
    int top = ListBox_GetTopIndex(siteList_);
    news::InsertSite(siteList_, to, news::TakeSite(siteList_, from));
    RECT client;
    ::GetClientRect(siteList_, &client);
    const int itemHeight = std::max(1, int(ListBox_GetItemHeight(siteList_, 0)));
    const int visible = std::max(1, int(client.bottom / itemHeight));
    if (to > top + visible - 1)
        top = to - visible + 1;
    if (to < top)
        top = to;
    ListBox_SetCurSel(siteList_, to);
    ListBox_SetTopIndex(siteList_, top);
    ::SendMessageW(siteList_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(siteList_, nullptr, TRUE);
    UpdateButtons();
}

bool CCWRSSModule_Register::ImportOpmlFile(const std::wstring& path, bool& limitReached) {
    limitReached = false;
    xmldata::XmlDocument doc;
    if (!doc.Load(path))
        return false;
    std::vector<xmldata::Node> outlines;
    try {
        outlines = doc.SelectNodes(L"./opml/body//outline", doc.DocumentNode());
    } catch (const xmldata::XmlError&) {
        return false;
    }
    const int selected = news::SelectedSite(siteList_);
    const int insertAfter = selected != -1 ? selected : news::SiteCount(siteList_) - 1;
    int inserted = 0;
    for (size_t i = 0; i < outlines.size(); ++i) {
        auto channel = std::make_unique<CRSSChannel>();
        if (!news::ReadChannelOutline(*channel, outlines[i], true) || news::ListHasUrl(siteList_, channel->xmlUrl))
            continue;
        news::InsertSite(siteList_, insertAfter + inserted + 1, std::move(channel));
        ++inserted;
        if (news::SiteCount(siteList_) >= news::kMaxChannels) {
            limitReached = i + 1 < outlines.size();
            break;
        }
    }
    return true;
}

void CCWRSSModule_Register::OnImport() {
    const std::wstring format = win32::LoadResString(IDS_NEWS_OPML_FORMAT);
    std::wstring filter = win32::FormatString(L"%s (*.opml)|*.opml||", format.c_str());
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    const std::wstring title = win32::LoadResString(IDS_NEWS_IMPORT_TITLE);
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof(open);
    open.hwndOwner = ::GetAncestor(hwnd(), GA_ROOT);
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrTitle = title.c_str();
    open.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    open.lpstrDefExt = L"opml";
    if (!::GetOpenFileNameW(&open))
        return;
    bool limitReached = false;
    bool imported = false;
    try {
        imported = ImportOpmlFile(file, limitReached);
    } catch (const xmldata::XmlError&) {
        imported = false;
    }
    if (limitReached)
        win32::AppMessageBox(IDS_NEWS_SITE_LIMIT, MB_ICONEXCLAMATION);
    if (!imported) {
        win32::AppMessageBox(IDS_NEWS_IMPORT_FAILED, MB_ICONEXCLAMATION);
        return;
    }
    UpdateButtons();
}

void CCWRSSModule_Register::MergeAdditionalFeeds() {
    TakeAdditionalSites();
    UpdateButtons();
}

void CCWRSSModule_Register::TakeAdditionalSites() {
    std::vector<std::wstring> urls, titles;
    news::TakeAdditionalFeeds(urls, titles);
    for (size_t i = 0; i < urls.size() && i < titles.size(); ++i) {
        // A site added in this window but not saved yet is already in the list; a full list takes no more.
        if (news::SiteCount(siteList_) >= news::kMaxChannels || news::ListHasUrl(siteList_, urls[i]))
            continue;
        auto channel = std::make_unique<CRSSChannel>();
        channel->xmlUrl = urls[i];
        channel->text = channel->title = titles[i];
        loadedUrls_.push_back(urls[i]);
        loadedTitles_.push_back(titles[i]);
        news::InsertSite(siteList_, -1, std::move(channel));
    }
}

bool CCWRSSModule_Register::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_NEWS_ADD:
        OnAdd();
        return true;
    case IDC_NEWS_DELETE:
        OnDelete();
        return true;
    case IDC_NEWS_EDIT:
        OnEdit();
        return true;
    case IDC_NEWS_IMPORT:
        OnImport();
        return true;
    case IDC_NEWS_UP:
        if (int selected = news::SelectedSite(siteList_); selected >= 1)
            Move(selected, selected - 1);
        return true;
    case IDC_NEWS_DOWN:
        if (int selected = news::SelectedSite(siteList_); selected != -1 && selected < news::SiteCount(siteList_) - 1)
            Move(selected, selected + 1);
        return true;
    case IDC_NEWS_SITE_LIST:
        if (code == LBN_SELCHANGE)
            UpdateButtons();
        return true;
    default:
        return CConfWindowInf::OnCommand(id, code, control);
    }
}

void CCWRSSModule_Register::DrawListItem(const DRAWITEMSTRUCT& drawn) {
    DrawItemBackground(drawn);
    const RECT& rect = drawn.rcItem;
    const int inset = win32::ScaleForWindow(hwnd(), 4);
    if (const auto* channel = reinterpret_cast<const CRSSChannel*>(drawn.itemData))
        DrawItemText(drawn.hDC, channel->GetDisplayName(),
                     {rect.left + inset, rect.top, rect.right - inset, rect.bottom}, font(),
                     ::GetSysColor(COLOR_WINDOWTEXT));
}

void CCWRSSModule_Register::OnDestroy() {
    if (siteList_)
        news::DeleteAllSites(siteList_);
    CConfWindowInf::OnDestroy();
}

CRSSEditDialog::CRSSEditDialog(std::wstring* name, std::wstring url, HWND parent)
    : VelourDialog2(IDD_NEWS_EDIT_NAME, parent), name_(name), url_(std::move(url)) {}

BOOL CRSSEditDialog::OnInitDialog() {
    VelourDialog2::OnInitDialog();
    label_.Bind(hwnd(), IDC_NEWS_LABEL);
    urlText_.Bind(hwnd(), IDC_NEWS_NOTE);
    edit_.Bind(hwnd(), IDC_NEWS_TEXT);
    ok_.Bind(hwnd(), IDOK);
    cancel_.Bind(hwnd(), IDCANCEL);
    ::SetDlgItemTextW(hwnd(), IDC_NEWS_NOTE, url_.c_str());
    ::SendMessageW(item(IDC_NEWS_TEXT), EM_LIMITTEXT, 32, 0);
    ::SetDlgItemTextW(hwnd(), IDC_NEWS_TEXT, name_->c_str());
    ::EnableWindow(item(IDOK), !name_->empty());
    return TRUE;
}

bool CRSSEditDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_NEWS_TEXT && code == EN_CHANGE) {
        const std::wstring text = win32::WindowText(item(IDC_NEWS_TEXT));
        const std::wstring stripped = news::StripLeadingSpaces(text);
        if (stripped.size() != text.size())
            ::SetDlgItemTextW(hwnd(), IDC_NEWS_TEXT, stripped.c_str());
        ::EnableWindow(item(IDOK), !stripped.empty());
        return true;
    }
    return VelourDialog2::OnCommand(id, code, control);
}

void CRSSEditDialog::OnOK() {
    *name_ = win32::WindowText(item(IDC_NEWS_TEXT));
    EndDialog(IDOK);
}

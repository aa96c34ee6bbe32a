#include "pages/news/options_page.h"

#include "pages/news/site_list_box.h"
#include "res/resource.h"
#include "shell/folders.h"
#include "ui/categories.h"
#include "win32/app.h"
#include "win32/handle.h"
#include "win32/registry.h"
#include "win32/strings.h"
#include "xmldata/xml_document.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

namespace news {
namespace {

constexpr wchar_t kBrowsersKey[] = L"Software\\Clients\\StartMenuInternet";

template <size_t N> int Row(const int (&values)[N], int value) {
    return RowOfValue(values, N, value);
}
constexpr wchar_t kBrowserChoiceKeyPath[] = L"Software\\Quillon\\Tessel\\Internet";

std::wstring RegPath(HKEY root, const std::wstring& key) {
    wchar_t buffer[MAX_PATH * 2] = {};
    return SUCCEEDED(::SHRegGetPathW(root, key.c_str(), nullptr, buffer, 0)) ? buffer : std::wstring();
}

bool ProgramExists(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(commandLine.c_str(), &count);
    if (!arguments)
        return false;
    const DWORD attributes = count > 0 ? ::GetFileAttributesW(arguments[0]) : INVALID_FILE_ATTRIBUTES;
    ::LocalFree(arguments);
    return count > 0 && attributes != INVALID_FILE_ATTRIBUTES &&
           attributes != (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

const wchar_t* Flag(bool value) {
    return value ? L"true" : L"false";
}

} // namespace

int RowOfValue(const int* values, size_t count, int value) {
    for (size_t i = 0; i < count; ++i)
        if (values[i] == value)
            return int(i);
    return -1;
}

int SortIndexOfText(const std::wstring& text) {
    if (win32::EqualsNoCase(text, L"newer"))
        return 1;
    if (win32::EqualsNoCase(text, L"older"))
        return 2;
    return 0;
}

std::wstring LoadIndirectString(const std::wstring& reference) {
    const size_t comma = reference.find(L',');
    if (comma == std::wstring::npos || comma == 0)
        return reference;
    const std::wstring file = reference.substr(1, comma - 1);
    const int id = std::abs(_wtoi(reference.c_str() + comma + 1));
    win32::Module library(::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!library)
        return {};
    return win32::LoadResString(library.get(), UINT(id));
}

std::vector<BrowserEntry> FindBrowsers() {
    std::vector<BrowserEntry> browsers;
    win32::RegKey key = win32::OpenRegKey(HKEY_LOCAL_MACHINE, kBrowsersKey);
    if (!key)
        return browsers;
    for (DWORD index = 0;; ++index) {
        wchar_t name[260];
        DWORD length = ARRAYSIZE(name);
        if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring browserKey = std::wstring(kBrowsersKey) + L"\\" + name;
        const std::wstring command = RegPath(HKEY_LOCAL_MACHINE, browserKey + L"\\shell\\open\\command");
        if (command.empty() || !ProgramExists(command))
            continue;
        std::wstring display;
        wchar_t localized[MAX_PATH * 2] = {};
        if (SUCCEEDED(::SHRegGetPathW(HKEY_LOCAL_MACHINE, browserKey.c_str(), L"LocalizedString", localized, 0))) {
            const std::wstring reference = localized;
            const size_t comma = reference.find(L',');
            display = comma != std::wstring::npos && comma > 0 ? LoadIndirectString(reference) : reference;
        }
        if (display.empty())
            display = win32::ReadRegString(HKEY_LOCAL_MACHINE, browserKey, L"").value_or(L"");
        if (display.empty())
            continue;
        browsers.push_back({name, display});
    }
    return browsers;
}

} // namespace news

CCWRSSModule_Option::CCWRSSModule_Option(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_NEWS_OPTIONS, categoryList, okButton, font) {
    SetIdentity(IDS_NEWS_OPTIONS_TITLE, IDS_NEWS_OPTIONS_DESCRIPTION, kCategoryNews);
}

bool CCWRSSModule_Option::Checked(int id) const {
    return Button_GetCheck(item(id)) == BST_CHECKED;
}
void CCWRSSModule_Option::SetChecked(int id, bool checked) {
    Button_SetCheck(item(id), checked ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CCWRSSModule_Option::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    const int groupIds[] = {IDC_NEWS_DISPLAY_GROUP, IDC_NEWS_PODCAST_GROUP};
    const int labelIds[] = {IDC_NEWS_REFRESH_LABEL, IDC_NEWS_MAXITEM_LABEL, IDC_NEWS_ROTATION_LABEL,
                            IDC_NEWS_BROWSER_LABEL, IDC_NEWS_SORT_LABEL,    IDC_NEWS_PODCAST_NOTE};
    const int comboIds[] = {IDC_NEWS_REFRESH, IDC_NEWS_MAXITEM, IDC_NEWS_ROTATION, IDC_NEWS_BROWSER};
    const int checkIds[] = {IDC_NEWS_ROTATE, IDC_NEWS_OPEN_URL, IDC_NEWS_AUTO_DOWNLOAD, IDC_NEWS_AUTO_PLAY,
                            IDC_NEWS_SKIP_PLAYED};
    const int sortIds[] = {IDC_NEWS_SORT_ORIGINAL, IDC_NEWS_SORT_NEWER, IDC_NEWS_SORT_OLDER};
    // The lists are filled before the skins are bound, so the strings do not pass through them.
    auto fill = [this](int comboId, UINT firstString, size_t count, UINT lastString) {
        for (size_t i = 0; i < count; ++i) {
            const UINT id = i + 1 == count && lastString ? lastString : UINT(firstString + i);
            ComboBox_AddString(item(comboId), win32::LoadResString(id).c_str());
        }
    };
    fill(IDC_NEWS_REFRESH, IDS_NEWS_REFRESH_FIRST, std::size(news::kRefreshMinutes), IDS_NEWS_REFRESH_1DAY);
    fill(IDC_NEWS_MAXITEM, IDS_NEWS_MAXITEM_FIRST, std::size(news::kMaxItems), 0);
    fill(IDC_NEWS_ROTATION, IDS_NEWS_ROTATION_FIRST, std::size(news::kRotationSeconds), 0);
    BuildBrowserList();
    for (int i = 0; i < 2; ++i)
        groups_[i].Bind(hwnd(), groupIds[i]);
    for (int i = 0; i < 6; ++i)
        labels_[i].Bind(hwnd(), labelIds[i]);
    for (int i = 0; i < 4; ++i)
        combos_[i].Bind(hwnd(), comboIds[i]);
    for (int i = 0; i < 5; ++i)
        checks_[i].Bind(hwnd(), checkIds[i]);
    for (int i = 0; i < 3; ++i)
        sortButtons_[i].Bind(hwnd(), sortIds[i]);
    for (int id : {IDC_NEWS_REFRESH, IDC_NEWS_MAXITEM, IDC_NEWS_ROTATE, IDC_NEWS_ROTATION, IDC_NEWS_OPEN_URL,
                   IDC_NEWS_BROWSER, IDC_NEWS_SORT_ORIGINAL, IDC_NEWS_SORT_NEWER, IDC_NEWS_SORT_OLDER,
                   IDC_NEWS_AUTO_DOWNLOAD, IDC_NEWS_AUTO_PLAY, IDC_NEWS_SKIP_PLAYED})
        AddTabStop(id);
    return TRUE;
}

void CCWRSSModule_Option::BuildBrowserList() {
    browserKeys_.clear();
    HWND combo = item(IDC_NEWS_BROWSER);
    ComboBox_ResetContent(combo);
    std::wstring defaultBrowser =
        win32::ReadRegString(HKEY_CURRENT_USER, L"Software\\Clients\\StartMenuInternet", L"")
            .value_or(
                win32::ReadRegString(HKEY_LOCAL_MACHINE, L"Software\\Clients\\StartMenuInternet", L"").value_or(L""));
    for (const news::BrowserEntry& browser : news::FindBrowsers()) {
        browserKeys_.push_back(browser.key);
        const int at = ComboBox_AddString(combo, browser.name.c_str());
        if (browser.key == defaultBrowser)
            ComboBox_SetCurSel(combo, at);
    }
    if (browserKeys_.empty()) {
        ::EnableWindow(item(IDC_NEWS_BROWSER_LABEL), FALSE);
        ::EnableWindow(combo, FALSE);
    } else if (ComboBox_GetCurSel(combo) < 0) {
        ComboBox_SetCurSel(combo, 0);
        chosenBrowser_ = browserKeys_[0];
    }
}

int CCWRSSModule_Option::LoadData() {
    if (auto chosen = win32::ReadRegString(HKEY_CURRENT_USER, news::kBrowserChoiceKeyPath, L"")) {
        for (size_t i = 0; i < browserKeys_.size(); ++i)
            if (browserKeys_[i] == *chosen) {
                chosenBrowser_ = *chosen;
                ComboBox_SetCurSel(item(IDC_NEWS_BROWSER), int(i));
            }
    }
    xmldata::XmlDocument doc;
    if (!LoadDataFile(doc))
        return 0;
    const xmldata::Node document = doc.DocumentNode();
    auto selectRow = [&](int comboId, int row) {
        if (row >= 0)
            ComboBox_SetCurSel(item(comboId), row);
        return ComboBox_GetCurSel(item(comboId)) >= 0;
    };
    xmldata::Node interval = doc.SelectNode(L"./conf_data/interval", document);
    std::optional<std::wstring> enable = interval ? xmldata::GetAttribute(interval, L"enable") : std::nullopt;
    if (!enable)
        return 0;
    SetChecked(IDC_NEWS_ROTATE, *enable == L"true");
    if (!selectRow(IDC_NEWS_ROTATION, news::Row(news::kRotationSeconds, _wtoi(xmldata::Text(interval).c_str()))))
        return 0;
    std::optional<std::wstring> refresh = doc.SelectText(L"./conf_data/refresh", document);
    if (!refresh || !selectRow(IDC_NEWS_REFRESH, news::Row(news::kRefreshMinutes, _wtoi(refresh->c_str()))))
        return 0;
    std::optional<std::wstring> maxItem = doc.SelectText(L"./conf_data/main/maxitem", document);
    if (!maxItem || !selectRow(IDC_NEWS_MAXITEM, news::Row(news::kMaxItems, _wtoi(maxItem->c_str()))))
        return 0;
    xmldata::Node main = doc.SelectNode(L"./conf_data/main", document);
    std::optional<std::wstring> openUrl = main ? xmldata::GetAttribute(main, L"openURL") : std::nullopt;
    if (!openUrl)
        return 0;
    SetChecked(IDC_NEWS_OPEN_URL, *openUrl == L"true");
    std::optional<std::wstring> sort = doc.SelectText(L"./conf_data/main/sort", document);
    const int sortIndex = sort ? news::SortIndexOfText(*sort) : 0;
    const int sortIds[] = {IDC_NEWS_SORT_ORIGINAL, IDC_NEWS_SORT_NEWER, IDC_NEWS_SORT_OLDER};
    for (int i = 0; i < 3; ++i)
        SetChecked(sortIds[i], i == sortIndex);
    auto podcastFlag = [&](const wchar_t* query, int id) {
        std::optional<std::wstring> text = doc.SelectText(query, document);
        SetChecked(id, !text || *text == L"true");
    };
    podcastFlag(L"./conf_data/podcast/autoDownload", IDC_NEWS_AUTO_DOWNLOAD);
    podcastFlag(L"./conf_data/podcast/autoPlay", IDC_NEWS_AUTO_PLAY);
    podcastFlag(L"./conf_data/podcast/skipPlayed", IDC_NEWS_SKIP_PLAYED);
    loaded_ = CurrentValues();
    ApplyEnabling();
    return 1;
}

CCWRSSModule_Option::Values CCWRSSModule_Option::CurrentValues() const {
    Values values;
    values.refresh = ComboBox_GetCurSel(item(IDC_NEWS_REFRESH));
    values.maxItem = ComboBox_GetCurSel(item(IDC_NEWS_MAXITEM));
    values.rotation = ComboBox_GetCurSel(item(IDC_NEWS_ROTATION));
    values.rotate = Checked(IDC_NEWS_ROTATE);
    values.openUrl = Checked(IDC_NEWS_OPEN_URL);
    values.sort = Checked(IDC_NEWS_SORT_NEWER) ? 1 : Checked(IDC_NEWS_SORT_OLDER) ? 2 : 0;
    values.autoDownload = Checked(IDC_NEWS_AUTO_DOWNLOAD);
    values.autoPlay = Checked(IDC_NEWS_AUTO_PLAY);
    values.skipPlayed = Checked(IDC_NEWS_SKIP_PLAYED);
    return values;
}

int CCWRSSModule_Option::IsModified() {
    const Values now = CurrentValues();
    return now.refresh != loaded_.refresh || now.maxItem != loaded_.maxItem || now.rotation != loaded_.rotation ||
                   now.rotate != loaded_.rotate || now.openUrl != loaded_.openUrl || now.sort != loaded_.sort ||
                   now.autoDownload != loaded_.autoDownload || now.autoPlay != loaded_.autoPlay ||
                   now.skipPlayed != loaded_.skipPlayed
               ? 1
               : 0;
}

void CCWRSSModule_Option::SaveBrowserChoice() {
    const int selected = ComboBox_GetCurSel(item(IDC_NEWS_BROWSER));
    if (selected < 0 || size_t(selected) >= browserKeys_.size())
        return;
    win32::WriteRegString(HKEY_CURRENT_USER, news::kBrowserChoiceKeyPath, L"", browserKeys_[size_t(selected)]);
}

void CCWRSSModule_Option::SaveData() {
    SaveBrowserChoice();
    EditDataFile([this](xmldata::XmlWriter& writer) {
        const Values now = CurrentValues();
        auto number = [](const int* values, int row) { return std::to_wstring(row >= 0 ? values[row] : 0); };
        xmldata::Element root = writer.Root();
        xmldata::Node interval = writer.SelectNode(L"./interval");
        if (!interval)
            interval = writer.AppendElement(root, L"interval").As<IXMLDOMNode>();
        writer.SetAttribute(interval, L"enable", news::Flag(now.rotate));
        writer.SetText(interval, number(news::kRotationSeconds, now.rotation));
        writer.SetText(root, L"refresh", number(news::kRefreshMinutes, now.refresh));
        xmldata::Node main = writer.SelectNode(L"./main");
        if (!main)
            main = writer.AppendElement(root, L"main").As<IXMLDOMNode>();
        writer.SetText(main, L"maxitem", number(news::kMaxItems, now.maxItem));
        writer.SetAttribute(main, L"openURL", news::Flag(now.openUrl));
        writer.SetText(main, L"sort", news::kSortValues[now.sort]);
        xmldata::Node podcast = writer.SelectNode(L"./podcast");
        if (!podcast)
            podcast = writer.AppendElement(root, L"podcast").As<IXMLDOMNode>();
        writer.SetText(podcast, L"autoDownload", news::Flag(now.autoDownload));
        writer.SetText(podcast, L"autoPlay", news::Flag(now.autoPlay));
        writer.SetText(podcast, L"skipPlayed", news::Flag(now.skipPlayed));
        return true;
    });
}

void CCWRSSModule_Option::UpdateFromSiteList(HWND siteList) {
    siteCount_ = news::SiteCount(siteList);
    ApplyEnabling();
}

void CCWRSSModule_Option::ApplyEnabling() {
    const bool sites = siteCount_ >= 1;
    for (int id : {IDC_NEWS_REFRESH_LABEL, IDC_NEWS_REFRESH, IDC_NEWS_MAXITEM_LABEL, IDC_NEWS_MAXITEM, IDC_NEWS_ROTATE})
        ::EnableWindow(item(id), sites);
    const bool rotation = sites && Checked(IDC_NEWS_ROTATE);
    ::EnableWindow(item(IDC_NEWS_ROTATION_LABEL), rotation);
    ::EnableWindow(item(IDC_NEWS_ROTATION), rotation);
    const bool browser = Checked(IDC_NEWS_OPEN_URL) && !browserKeys_.empty();
    ::EnableWindow(item(IDC_NEWS_BROWSER_LABEL), browser);
    ::EnableWindow(item(IDC_NEWS_BROWSER), browser);
    ::EnableWindow(item(IDC_NEWS_SKIP_PLAYED), Checked(IDC_NEWS_AUTO_PLAY));
}

bool CCWRSSModule_Option::OnCommand(UINT id, UINT code, HWND control) {
    if ((id == IDC_NEWS_ROTATE || id == IDC_NEWS_OPEN_URL || id == IDC_NEWS_AUTO_PLAY) && code == BN_CLICKED) {
        ApplyEnabling();
        return true;
    }
    return CConfWindowInf::OnCommand(id, code, control);
}

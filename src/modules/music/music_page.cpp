#include "modules/music/music_page.h"

#include "res/resource.h"
#include "ui/categories.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "xmldata/xml_document.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

namespace {

const wchar_t* Flag(bool on) {
    return on ? L"true" : L"false";
}

// A list item's whole text: the control copies at most the buffer it is given, and a folder path may be longer
// than MAX_PATH.
std::wstring ItemText(HWND list, int index) {
    for (int size = 512;; size *= 2) {
        std::wstring text(size_t(size), L'\0');
        LVITEMW item = {};
        item.pszText = text.data();
        item.cchTextMax = size;
        const int length = int(::SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(index), LPARAM(&item)));
        if (length < size - 1 || size >= 0x10000) {
            text.resize(size_t(std::max(length, 0)));
            return text;
        }
    }
}

} // namespace

CCWMusicModule::CCWMusicModule(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_MUSIC, categoryList, okButton, font) {
    title_ = win32::LoadResString(IDS_MUSIC_TITLE);
    description_ = win32::LoadResString(IDS_MUSIC_DESCRIPTION);
    category_ = kCategoryMusic;
}

BOOL CCWMusicModule::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    const int groupIds[] = {IDC_MUSIC_ADD_GROUP, IDC_MUSIC_PLAYBACK_GROUP, IDC_MUSIC_DISPLAY_GROUP};
    for (int i = 0; i < 3; ++i)
        groups_[i].Bind(hwnd(), groupIds[i]);
    statics_[0].Bind(hwnd(), IDC_MUSIC_FOLDER_NOTE);
    statics_[1].Bind(hwnd(), IDC_MUSIC_FOLDER_LABEL);
    list_ = item(IDC_MUSIC_FOLDER_LIST);
    listSkin_.Attach(list_);
    listSkin_.Velour();
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = win32::ScaleForWindow(hwnd(), 1000);
    column.pszText = const_cast<wchar_t*>(L"FOLDER");
    ListView_InsertColumn(list_, 0, &column);
    addButton_.Bind(hwnd(), IDC_MUSIC_ADD);
    removeButton_.Bind(hwnd(), IDC_MUSIC_REMOVE);
    openButton_.Bind(hwnd(), IDC_MUSIC_OPEN);
    autoplayCheck_.Bind(hwnd(), IDC_MUSIC_AUTOPLAY);
    jacketCheck_.Bind(hwnd(), IDC_MUSIC_JACKET);
    for (int id :
         {IDC_MUSIC_FOLDER_LIST, IDC_MUSIC_ADD, IDC_MUSIC_REMOVE, IDC_MUSIC_OPEN, IDC_MUSIC_AUTOPLAY, IDC_MUSIC_JACKET})
        AddTabStop(id);

    // Without the service the page still edits its two switches.
    try {
        folders_.Open(kMusicClientName);
    } catch (const FolderException&) {
    }
    FillFolderList();
    if (folders_.IsUnavailable()) {
        for (int id : {IDC_MUSIC_ADD_GROUP, IDC_MUSIC_FOLDER_NOTE, IDC_MUSIC_SHARING_NOTE, IDC_MUSIC_FOLDER_LABEL,
                       IDC_MUSIC_FOLDER_LIST, IDC_MUSIC_ADD, IDC_MUSIC_REMOVE, IDC_MUSIC_OPEN})
            ::EnableWindow(item(id), FALSE);
    }
    return TRUE;
}

bool CCWMusicModule::Checked(int id) const {
    return Button_GetCheck(item(id)) == BST_CHECKED;
}

int CCWMusicModule::LoadData() {
    if (!hwnd())
        return 0;
    std::wstring path;
    GetDataFilePath(path);
    xmldata::XmlDocument document;
    if (path.empty() || !document.Load(path))
        return 0;
    const xmldata::Node top = document.DocumentNode();
    auto spectrum = document.SelectText(L"./conf_data/sub/spectrum", top);
    auto jacket = document.SelectText(L"./conf_data/sub/jacket", top);
    auto autoplay = document.SelectText(L"./conf_data/sub/autoplay", top);
    if (!spectrum || !jacket || !autoplay)
        return 0;
    spectrum_ = *spectrum == L"true" ? 1 : 0;
    jacket_ = *jacket == L"true" ? 1 : 0;
    autoplay_ = *autoplay == L"true" ? 1 : 0;
    Button_SetCheck(item(IDC_MUSIC_JACKET), jacket_ ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(item(IDC_MUSIC_AUTOPLAY), autoplay_ ? BST_CHECKED : BST_UNCHECKED);
    return 1;
}

int CCWMusicModule::IsModified() {
    return folderListChanged_ || Checked(IDC_MUSIC_JACKET) != (jacket_ != 0) ||
                   Checked(IDC_MUSIC_AUTOPLAY) != (autoplay_ != 0)
               ? 1
               : 0;
}

void CCWMusicModule::SaveData() {
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty())
        return;
    auto writer = xmldata::XmlWriter::Rewrite();
    const xmldata::Element root = writer.Root();
    const bool jacket = Checked(IDC_MUSIC_JACKET), autoplay = Checked(IDC_MUSIC_AUTOPLAY);
    auto appendSwitches = [&](const wchar_t* name) {
        writer.AppendText(root, L"\r\n\t");
        xmldata::Element part = writer.AppendElement(root, name);
        writer.AppendText(part, L"\r\n\t\t");
        writer.AppendElement(part, L"spectrum", Flag(spectrum_ != 0));
        writer.AppendText(part, L"\r\n\t\t");
        writer.AppendElement(part, L"jacket", Flag(jacket));
        writer.AppendText(part, L"\r\n\t\t");
        writer.AppendElement(part, L"autoplay", Flag(autoplay));
        writer.AppendText(part, L"\r\n\t");
        writer.AppendText(root, L"\r\n");
    };
    appendSwitches(L"sub");
    appendSwitches(L"main");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    folders_.Apply();
    writer.Save(path);
}

void CCWMusicModule::FillFolderList() {
    ListView_DeleteAllItems(list_);
    std::vector<std::wstring> folders;
    folders_.GetFolders(folders);
    LVITEMW entry = {};
    entry.mask = LVIF_TEXT;
    for (size_t i = 0; i < folders.size(); ++i) {
        entry.iItem = int(i);
        entry.pszText = folders[i].data();
        ListView_InsertItem(list_, &entry);
    }
    UpdateButtons();
}

void CCWMusicModule::UpdateButtons() {
    const bool selected = ListView_GetSelectedCount(list_) > 0 && !folders_.IsUnavailable();
    ::EnableWindow(item(IDC_MUSIC_REMOVE), selected);
    ::EnableWindow(item(IDC_MUSIC_OPEN), selected);
}

void CCWMusicModule::AddFolder() {
    const std::wstring path = folders_.BrowseForFolder(hwnd(), win32::LoadResString(IDS_MUSIC_CHOOSE_FOLDER));
    if (path.empty())
        return;
    folderListChanged_ = true;
    if (folders_.IsListed(path)) {
        win32::AppMessageBox(IDS_MUSIC_ALREADY_LISTED, MB_ICONINFORMATION);
        return;
    }
    if (folders_.IsInsideListed(path)) {
        win32::AppMessageBox(IDS_MUSIC_INSIDE_LISTED, MB_ICONINFORMATION);
        return;
    }
    if (folders_.HasListedSubfolders(path))
        win32::AppMessageBox(IDS_MUSIC_SUBFOLDERS_REPLACED, MB_ICONINFORMATION);
    folders_.Add(path);
    FillFolderList();
}

void CCWMusicModule::RemoveFolders() {
    if (win32::AppMessageBox(IDS_MUSIC_SHARED_REMOVE, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    folderListChanged_ = true;
    std::vector<std::wstring> selected;
    for (int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(list_, index, LVNI_SELECTED)) {
        selected.push_back(ItemText(list_, index));
    }
    for (const std::wstring& path : selected)
        folders_.Remove(path);
    FillFolderList();
}

void CCWMusicModule::OpenFolder() {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (index >= 0) {
        ::ShellExecuteW(hwnd(), L"open", ItemText(list_, index).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    ::SetCursor(previous);
}

bool CCWMusicModule::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_MUSIC_ADD:
            AddFolder();
            return true;
        case IDC_MUSIC_REMOVE:
            RemoveFolders();
            return true;
        case IDC_MUSIC_OPEN:
            OpenFolder();
            return true;
        default:
            break;
        }
    }
    return CConfWindowInf::OnCommand(id, code, control);
}

bool CCWMusicModule::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_NOTIFY && wParam == IDC_MUSIC_FOLDER_LIST) {
        const UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        if (code == LVN_ITEMCHANGED || code == LVN_ODSTATECHANGED)
            UpdateButtons();
    }
    return CConfWindowInf::OnMessage(message, wParam, lParam, result);
}

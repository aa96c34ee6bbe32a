#include "pages/display/display_page.h"

#include "pages/display/background_files.h"
#include "pages/display/background_list.h"
#include "res/resource.h"
#include "shell/folders.h"
#include "ui/categories.h"
#include "ui/fec_file_dialog.h"
#include "ui/list_drawing.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "win32/strings.h"
#include "xmldata/xml_document.h"

#include <windowsx.h>

#include <algorithm>

namespace {
constexpr int kEntryHeight = 18;
// The preview's place in dialog units, shared by the Flash control and the message shown instead of it.
constexpr RECT kPreviewUnits = {11, 18, 11 + 97, 18 + 45};

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    const size_t length = wcslen(suffix);
    return text.size() >= length && win32::EqualsNoCase(std::wstring_view(text).substr(text.size() - length), suffix);
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

namespace display {

const wchar_t* PositionKeyword(int index) {
    return index == 0 ? L"center" : index == 1 ? L"resize" : L"zoom";
}

int PositionIndex(const std::wstring& keyword) {
    for (int i = 0; i < 3; ++i)
        if (keyword == PositionKeyword(i))
            return i;
    return -1;
}

bool HasBackgroundExtension(const std::wstring& path) {
    return EndsWithNoCase(path, L".jpeg") || EndsWithNoCase(path, L".jpg") || EndsWithNoCase(path, L".swf");
}

} // namespace display

CCWDisplay::CCWDisplay(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_DISPLAY, categoryList, okButton, font) {
    SetIdentity(IDS_DISPLAY_TITLE, IDS_DISPLAY_DESCRIPTION, kCategoryDisplay);
    SetOwnerDrawnList(IDC_DISPLAY_LIST, kEntryHeight);
}

CCWDisplay::~CCWDisplay() = default;

BOOL CCWDisplay::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    group_.Bind(hwnd(), IDC_DISPLAY_GROUP);
    labels_[0].Bind(hwnd(), IDC_DISPLAY_POSITION_LABEL);
    labels_[1].Bind(hwnd(), IDC_DISPLAY_LIST_LABEL);
    // The list is filled before the skin is bound, so the strings do not pass through it.
    for (UINT text : {IDS_POSITION_CENTER, IDS_POSITION_RESIZE, IDS_POSITION_ZOOM})
        ComboBox_AddString(item(IDC_DISPLAY_POSITION), win32::LoadResString(text).c_str());
    ComboBox_SetCurSel(item(IDC_DISPLAY_POSITION), 0);
    position_.Bind(hwnd(), IDC_DISPLAY_POSITION);
    addButton_.Bind(hwnd(), IDC_DISPLAY_ADD);
    removeButton_.Bind(hwnd(), IDC_DISPLAY_REMOVE);

    RECT preview = kPreviewUnits;
    ::MapDialogRect(hwnd(), &preview);
    preview_.Create(hwnd(), preview, IDC_DISPLAY_PREVIEW);
    if (preview_.hwnd())
        ::SetWindowPos(preview_.hwnd(), item(IDC_DISPLAY_PREVIEW_MESSAGE), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    list_ = item(IDC_DISPLAY_LIST);
    listEdge_.HookWindow(list_);
    listScrollBars_.HookWindow(list_);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, win32::ScaleForWindow(hwnd(), kEntryHeight));
    AddTabStop(IDC_DISPLAY_POSITION);
    AddTabStop(IDC_DISPLAY_LIST);
    AddTabStop(IDC_DISPLAY_ADD);
    AddTabStop(IDC_DISPLAY_REMOVE);
    ReadBackgroundList();
    return TRUE;
}

std::wstring CCWDisplay::BackgroundListPath() const {
    std::wstring folder;
    GetModuleFolderPath(folder);
    return folder.empty() ? folder : folder + L"\\" + shell::kBackgroundListFileName;
}

void CCWDisplay::ReadBackgroundList() {
    ClearList();
    InsertEntry(0, win32::LoadResString(IDS_BACKGROUND_NONE));
    const std::wstring path = BackgroundListPath();
    if (path.empty())
        return;
    for (const std::wstring& listed : display::ReadBackgroundListFile(path, &listReadWhole_))
        InsertEntry(-1, listed);
}

void CCWDisplay::ClearList() {
    if (list_)
        ListBox_ResetContent(list_);
    entries_.clear();
}

int CCWDisplay::InsertEntry(int index, const std::wstring& text) {
    entries_.push_back(std::make_unique<std::wstring>(text));
    return int(::SendMessageW(list_, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(entries_.back().get())));
}

const std::wstring* CCWDisplay::EntryAt(int index) const {
    const LRESULT data = ::SendMessageW(list_, LB_GETITEMDATA, WPARAM(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<const std::wstring*>(data);
}

std::vector<std::wstring> CCWDisplay::ListedPaths() const {
    std::vector<std::wstring> paths;
    const int count = ListBox_GetCount(list_);
    for (int i = 1; i < count; ++i)
        if (const std::wstring* path = EntryAt(i))
            paths.push_back(*path);
    return paths;
}

void CCWDisplay::SaveBackgroundList() {
    // A list file that could not be read in full is left as it is unless the user changed the list: writing
    // what was read would drop the rest.
    const std::wstring path = BackgroundListPath();
    if (!path.empty() && (listReadWhole_ || listChanged_))
        display::WriteBackgroundListFile(path, ListedPaths());
}

int CCWDisplay::LoadData() {
    xmldata::XmlDocument document;
    if (!LoadDataFile(document))
        return 0;
    // Without a usable choice (a file of an older version without `background`, or an unknown position) the
    // controls keep their state and the next save writes a valid keyword. The file itself loaded, so it is not
    // restored: it also holds the module choice, screen saving and the language.
    xmldata::Node background = document.SelectNode(L"./background");
    const int position =
        background ? display::PositionIndex(xmldata::GetAttribute(background, L"position").value_or(L"")) : -1;
    if (position < 0) {
        loadedPosition_.clear();
        UpdatePreview();
        return 1;
    }
    ComboBox_SetCurSel(item(IDC_DISPLAY_POSITION), position);
    loadedPosition_ = display::PositionKeyword(position);

    const std::wstring text = xmldata::Text(background);
    ListBox_SetCurSel(list_, -1);
    if (!text.empty()) {
        const int count = ListBox_GetCount(list_);
        for (int i = 1; i < count; ++i) {
            const std::wstring* entry = EntryAt(i);
            if (entry && win32::EqualsNoCase(*entry, text)) {
                ListBox_SetCurSel(list_, i);
                loadedBackground_ = text;
                break;
            }
        }
    }
    if (ListBox_GetCurSel(list_) < 0) {
        ListBox_SetCurSel(list_, 0);
        loadedBackground_ = win32::LoadResString(IDS_BACKGROUND_NONE);
    }
    UpdatePreview();
    return 1;
}

void CCWDisplay::SaveData() {
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty())
        return;
    auto writer = xmldata::XmlWriter::Edit(path);
    if (writer.loaded())
        if (xmldata::Node old = writer.SelectNode(L"./background"))
            writer.RemoveChild(writer.Root(), old);
    xmldata::Element background = writer.AppendElement(writer.Root(), L"background");
    writer.SetAttribute(background, L"position",
                        display::PositionKeyword(ComboBox_GetCurSel(item(IDC_DISPLAY_POSITION))));
    const int selected = ListBox_GetCurSel(list_);
    if (selected > 0)
        if (const std::wstring* entry = EntryAt(selected))
            writer.SetText(background, *entry);
    writer.Save(path);
}

int CCWDisplay::IsModified() {
    if (display::PositionKeyword(ComboBox_GetCurSel(item(IDC_DISPLAY_POSITION))) != loadedPosition_)
        return 1;
    const int selected = ListBox_GetCurSel(list_);
    const std::wstring* entry = selected < 0 ? nullptr : EntryAt(selected);
    return !entry || *entry != loadedBackground_ ? 1 : 0;
}

void CCWDisplay::AddFiles() {
    const std::wstring filter = win32::FormatString(L"%s (*.jpeg;*.jpg)|*.jpeg; *.jpg|%s (*.swf)|*.swf||",
                                                    win32::LoadResString(IDS_JPEG_FORMAT).c_str(),
                                                    win32::LoadResString(IDS_SWF_FORMAT).c_str());
    CFECFileDialog dialog(true, nullptr, nullptr, OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY,
                          filter.c_str(), hwnd());
    dialog.SetTitle(win32::LoadResString(IDS_ADD_BACKGROUND_TITLE));
    if (dialog.DoModal() != IDOK)
        return;
    // The "none" entry stays first: with nothing selected, files go after it.
    const int selected = std::max(ListBox_GetCurSel(list_), 0);
    bool full = false;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (auto position = dialog.GetStartPosition(); position;) {
        const std::wstring path = dialog.GetNextPathName(position);
        // A path the list file's reader would stop at is never listed: it would end the list there.
        if (!display::HasBackgroundExtension(path) || path.size() > display::kMaxBackgroundPathLength ||
            !IsExistingFile(path))
            continue;
        const std::vector<std::wstring> listed = ListedPaths();
        if (std::find(listed.begin(), listed.end(), path) != listed.end())
            continue;
        // Nor more entries than the reader takes: a longer list would read as none at all.
        if (listed.size() >= size_t(display::kMaxBackgroundCount)) {
            full = true;
            break;
        }
        const int at = selected + 1 < ListBox_GetCount(list_) ? selected + 1 : -1;
        InsertEntry(at, path);
        listChanged_ = true;
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    if (full)
        win32::AppMessageBox(IDS_BACKGROUND_LIST_FULL, MB_OK | MB_ICONEXCLAMATION);
}

void CCWDisplay::RemoveFile() {
    if (win32::AppMessageBox(IDS_REMOVE_BACKGROUND_QUESTION, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const int top = ListBox_GetTopIndex(list_);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    const int selected = ListBox_GetCurSel(list_);
    if (selected > 0) {
        const std::wstring* entry = EntryAt(selected);
        ListBox_DeleteString(list_, selected);
        std::erase_if(entries_, [entry](const std::unique_ptr<std::wstring>& owned) { return owned.get() == entry; });
        listChanged_ = true;
    }
    ListBox_SetCurSel(list_, 0);
    ListBox_SetTopIndex(list_, top);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    UpdatePreview();
}

void CCWDisplay::ShowPreviewMessage(UINT stringId) {
    ::SetWindowTextW(item(IDC_DISPLAY_PREVIEW_MESSAGE), win32::LoadResString(stringId).c_str());
    ::ShowWindow(item(IDC_DISPLAY_PREVIEW_MESSAGE), SW_SHOW);
    if (preview_.hwnd())
        ::ShowWindow(preview_.hwnd(), SW_HIDE);
    ::EnableWindow(item(IDC_DISPLAY_POSITION_LABEL), FALSE);
    ::EnableWindow(item(IDC_DISPLAY_POSITION), FALSE);
}

void CCWDisplay::UpdatePreview() {
    const int selected = ListBox_GetCurSel(list_);
    const std::wstring* entry = selected > 0 ? EntryAt(selected) : nullptr;
    if (!entry) {
        ShowPreviewMessage(IDS_BACKGROUND_NONE);
        return;
    }
    if (::GetFileAttributesW(entry->c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowPreviewMessage(IDS_BACKGROUND_NO_PREVIEW);
        return;
    }
    // Loading a movie puts the player back into its default scale mode; the mode in use is kept.
    const auto mode = preview_.GetScaleMode();
    preview_.SetMovie(*entry);
    if (mode)
        preview_.SetScaleMode(*mode);
    ::ShowWindow(item(IDC_DISPLAY_PREVIEW_MESSAGE), SW_HIDE);
    if (preview_.hwnd())
        ::ShowWindow(preview_.hwnd(), SW_SHOW);
    ::EnableWindow(item(IDC_DISPLAY_POSITION_LABEL), TRUE);
    ::EnableWindow(item(IDC_DISPLAY_POSITION), TRUE);
}

bool CCWDisplay::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_DISPLAY_ADD:
        if (code == BN_CLICKED)
            AddFiles();
        return true;
    case IDC_DISPLAY_REMOVE:
        if (code == BN_CLICKED)
            RemoveFile();
        return true;
    case IDC_DISPLAY_LIST:
        if (code == LBN_SELCHANGE)
            UpdatePreview();
        return true;
    default:
        return CConfWindowInf::OnCommand(id, code, control);
    }
}

void CCWDisplay::DrawListItem(const DRAWITEMSTRUCT& drawn) {
    DrawItemBackground(drawn);
    if (const auto* text = reinterpret_cast<const std::wstring*>(drawn.itemData)) {
        const RECT& rect = drawn.rcItem;
        // Full paths: the folder is shortened, the file name stays readable.
        DrawItemText(drawn.hDC, *text, {rect.left + 4, rect.top, rect.right - 4, rect.bottom}, font(),
                     ::GetSysColor(COLOR_WINDOWTEXT), DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    }
    DrawItemFocus(drawn);
}

void CCWDisplay::OnDestroy() {
    ClearList();
    CConfWindowInf::OnDestroy();
}

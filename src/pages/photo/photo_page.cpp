#include "pages/photo/photo_page.h"

#include "pages/photo/photo_view_dialog.h"
#include "res/resource.h"
#include "shell/flash_check.h"
#include "ui/categories.h"
#include "ui/fec_file_dialog.h"
#include "ui/list_drawing.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "win32/strings.h"

#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>

namespace {
constexpr int kItemHeight = 18;
constexpr int kTextInset = 5;

// A PIDL and the shell allocator that frees it.
struct ItemIdList {
    IMalloc* allocator = nullptr;
    LPITEMIDLIST pidl = nullptr;
    ~ItemIdList() {
        if (allocator && pidl)
            allocator->Free(pidl);
    }
};
} // namespace

CCWPhotoModule::CCWPhotoModule(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_PHOTO, categoryList, okButton, font) {
    SetIdentity(IDS_PHOTO_TITLE, IDS_PHOTO_DESCRIPTION, kCategoryPhoto);
    SetOwnerDrawnList(IDC_PHOTO_LIST, kItemHeight);
}

CCWPhotoModule::~CCWPhotoModule() = default;

BOOL CCWPhotoModule::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    groups_[0].Bind(hwnd(), IDC_PHOTO_GROUP);
    groups_[1].Bind(hwnd(), IDC_PHOTO_LAYOUT_GROUP);
    labels_[0].Bind(hwnd(), IDC_PHOTO_LIST_LABEL);
    labels_[1].Bind(hwnd(), IDC_PHOTO_LAYOUT_LABEL);
    const int buttonIds[] = {IDC_PHOTO_ADD, IDC_PHOTO_REMOVE, IDC_PHOTO_ADD_FOLDER, IDC_PHOTO_DETAILS};
    for (int i = 0; i < 4; ++i)
        buttons_[i].Bind(hwnd(), buttonIds[i]);
    // The list is filled before the skin is bound, so the strings do not pass through it.
    for (UINT text : {IDS_LAYOUT_NORMAL, IDS_LAYOUT_CINEMA, IDS_LAYOUT_TILE, IDS_LAYOUT_SNAPSHOT, IDS_LAYOUT_COMPOSITE})
        ComboBox_AddString(item(IDC_PHOTO_LAYOUT), win32::LoadResString(text).c_str());
    ComboBox_SetCurSel(item(IDC_PHOTO_LAYOUT), 0);
    layout_.Bind(hwnd(), IDC_PHOTO_LAYOUT);
    preview_.SubclassDlgItem(IDC_PHOTO_PREVIEW, hwnd());
    preview_.SetFit(1);

    list_ = item(IDC_PHOTO_LIST);
    for (int id :
         {IDC_PHOTO_LIST, IDC_PHOTO_ADD, IDC_PHOTO_REMOVE, IDC_PHOTO_ADD_FOLDER, IDC_PHOTO_LAYOUT, IDC_PHOTO_DETAILS})
        AddTabStop(id);
    listEdge_.HookWindow(list_);
    listScrollBars_.HookWindow(list_);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, win32::ScaleForWindow(hwnd(), kItemHeight));
    OnSelectionChanged();
    UpdateButtons();
    return TRUE;
}

std::vector<CPhotoItem*> CCWPhotoModule::ShownItems() const {
    std::vector<CPhotoItem*> items;
    const int count = ListBox_GetCount(list_);
    for (int i = 0; i < count; ++i)
        items.push_back(reinterpret_cast<CPhotoItem*>(ListBox_GetItemData(list_, i)));
    return items;
}

void CCWPhotoModule::ClearShown() {
    if (list_)
        ListBox_ResetContent(list_);
    created_.clear();
}

int CCWPhotoModule::LoadData() {
    ClearShown();
    data_.Clear();
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty() || !data_.Load(path, false)) {
        UpdateButtons();
        return 0;
    }
    std::vector<CPhotoItem*> items;
    data_.Fill(views_, items);
    for (CPhotoItem* loaded : items)
        InsertItem(-1, loaded);
    if (!items.empty()) {
        ListBox_SetSel(list_, TRUE, 0);
        ListBox_SetCaretIndex(list_, 0);
    }
    OnSelectionChanged();
    UpdateButtons();
    return 1;
}

void CCWPhotoModule::SaveData() {
    std::wstring path;
    GetDataFilePath(path);
    if (hwnd() && !path.empty())
        data_.Save(path, views_, ShownItems());
}

int CCWPhotoModule::IsModified() {
    return data_.IsModified(views_, ShownItems()) ? 1 : 0;
}

photo::FormatFlags CCWPhotoModule::SearchableFormats() const {
    if (!g_flash8Available)
        return {};
    return data_.formats();
}

std::wstring CCWPhotoModule::FileTypeDescription() const {
    return photo::FileTypeDescription(SearchableFormats(), win32::LoadResString(IDS_JPEG_FORMAT),
                                      win32::LoadResString(IDS_GIF_FORMAT), win32::LoadResString(IDS_PNG_FORMAT),
                                      win32::LoadResString(IDS_LIST_SEPARATOR));
}

int CCWPhotoModule::InsertionPoint() const {
    const int last = ListBox_GetCount(list_) - 1;
    if (ListBox_GetSelCount(list_) <= 0)
        return last;
    const int caret = ListBox_GetCaretIndex(list_);
    return caret == -1 ? last : caret;
}

void CCWPhotoModule::InsertItem(int index, CPhotoItem* photo) {
    if (index >= ListBox_GetCount(list_))
        index = -1;
    ::SendMessageW(list_, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(photo));
}

template <typename Item> CPhotoItem* CCWPhotoModule::ReviveOrCreate(const std::wstring& path) {
    if (CPhotoItem* removed = data_.FindRemoved(path)) {
        removed->removed = 0;
        return removed;
    }
    created_.push_back(std::make_unique<Item>(path));
    return created_.back().get();
}

void CCWPhotoModule::UpdateButtons() {
    ::EnableWindow(item(IDC_PHOTO_REMOVE), ListBox_GetSelCount(list_) > 0);
    const BOOL any = ListBox_GetCount(list_) > 0;
    for (int id : {IDC_PHOTO_LAYOUT_LABEL, IDC_PHOTO_LAYOUT, IDC_PHOTO_DETAILS})
        ::EnableWindow(item(id), any);
}

void CCWPhotoModule::OnSelectionChanged() {
    ::EnableWindow(item(IDC_PHOTO_REMOVE), ListBox_GetSelCount(list_) > 0);
    std::wstring path;
    bool shown = false;
    if (ListBox_GetSelCount(list_) > 0) {
        const LRESULT data = ListBox_GetItemData(list_, ListBox_GetCaretIndex(list_));
        auto* selected = data == LB_ERR ? nullptr : reinterpret_cast<CPhotoItem*>(data);
        shown = selected && selected->GetPreviewPath(path, SearchableFormats()) &&
                ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    if (shown)
        preview_.Load(path);
    ::ShowWindow(item(IDC_PHOTO_NO_PREVIEW), shown ? SW_HIDE : SW_SHOW);
    ::ShowWindow(item(IDC_PHOTO_PREVIEW), shown ? SW_SHOW : SW_HIDE);
}

void CCWPhotoModule::AddPhotos() {
    const std::wstring filter = photo::FileTypeFilter(SearchableFormats(), FileTypeDescription());
    CFECFileDialog dialog(true, nullptr, nullptr, OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY,
                          filter.c_str(), hwnd());
    dialog.SetTitle(win32::LoadResString(IDS_ADD_PHOTOS_TITLE));
    if (dialog.DoModal() != IDOK)
        return;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    // Every file goes directly after the caret item, so files chosen together land in reverse order.
    const int insertion = InsertionPoint();
    for (auto position = dialog.GetStartPosition(); position;) {
        const std::wstring path = dialog.GetNextPathName(position);
        if (!photo::HasPhotoExtension(path) || !photo::IsExistingFile(path))
            continue;
        InsertItem(insertion + 1, ReviveOrCreate<CPhotoFileItem>(path));
    }
    UpdateButtons();
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

int CALLBACK CCWPhotoModule::BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    auto* self = reinterpret_cast<CCWPhotoModule*>(data);
    if (message == BFFM_INITIALIZED) {
        ::SetWindowTextW(browser, win32::LoadResString(IDS_ADD_FOLDER_TITLE).c_str());
    } else if (message == BFFM_SELCHANGED) {
        wchar_t folder[MAX_PATH] = {};
        const bool usable = ::SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), folder) &&
                            photo::FindFirstPicture(folder, self->SearchableFormats()).has_value();
        ::SendMessageW(browser, BFFM_ENABLEOK, 0, usable ? 1 : 0);
    }
    return 0;
}

void CCWPhotoModule::AddFolder() {
    win32::ComPtr<IMalloc> allocator;
    wchar_t documents[MAX_PATH] = {};
    win32::ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetMalloc(allocator.put())) ||
        FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)) ||
        FAILED(::SHGetDesktopFolder(desktop.put())))
        return;
    ItemIdList root{allocator.get()};
    desktop->ParseDisplayName(hwnd(), nullptr, documents, nullptr, &root.pidl, nullptr);

    const std::wstring note =
        win32::FormatString(win32::LoadResString(IDS_PHOTO_FOLDER_NOTE).c_str(), FileTypeDescription().c_str());
    BROWSEINFOW browse = {};
    browse.hwndOwner = hwnd();
    browse.pidlRoot = root.pidl;
    browse.lpszTitle = note.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(this);
    ItemIdList chosen{allocator.get(), ::SHBrowseForFolderW(&browse)};
    wchar_t folder[MAX_PATH] = {};
    if (!chosen.pidl || !::SHGetPathFromIDListW(chosen.pidl, folder))
        return;
    InsertItem(InsertionPoint() + 1, ReviveOrCreate<CPhotoFolderItem>(folder));
    UpdateButtons();
}

void CCWPhotoModule::Remove() {
    if (win32::AppMessageBox(IDS_REMOVE_PHOTOS_QUESTION, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const int count = ListBox_GetSelCount(list_);
    if (count <= 0)
        return;
    std::vector<int> selected(size_t(count), 0);
    ListBox_GetSelItems(list_, count, selected.data());
    std::sort(selected.begin(), selected.end());
    const int top = ListBox_GetTopIndex(list_);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (auto index = selected.rbegin(); index != selected.rend(); ++index) {
        auto* photo = reinterpret_cast<CPhotoItem*>(ListBox_GetItemData(list_, *index));
        ListBox_DeleteString(list_, *index);
        // An item read from the file stays in the data set, so the next save writes its garbage.
        if (photo && photo->loaded == 1)
            photo->removed = 1;
        else
            std::erase_if(created_, [photo](const std::unique_ptr<CPhotoItem>& owned) { return owned.get() == photo; });
    }
    ListBox_SetTopIndex(list_, top);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    UpdateButtons();
    if (!::GetFocus())
        ::SetFocus(list_);
    OnSelectionChanged();
}

void CCWPhotoModule::ShowDetails() {
    const int layout = ComboBox_GetCurSel(item(IDC_PHOTO_LAYOUT));
    if (layout < 0 || layout >= photo::kLayoutCount)
        return;
    CPhotoViewConfDialog dialog(&views_[size_t(layout)], hwnd());
    dialog.DoModal();
}

bool CCWPhotoModule::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_PHOTO_ADD:
        if (code == BN_CLICKED)
            AddPhotos();
        return true;
    case IDC_PHOTO_ADD_FOLDER:
        if (code == BN_CLICKED)
            AddFolder();
        return true;
    case IDC_PHOTO_REMOVE:
        if (code == BN_CLICKED)
            Remove();
        return true;
    case IDC_PHOTO_DETAILS:
        if (code == BN_CLICKED)
            ShowDetails();
        return true;
    case IDC_PHOTO_LIST:
        if (code == LBN_SELCHANGE)
            OnSelectionChanged();
        return true;
    default:
        return CConfWindowInf::OnCommand(id, code, control);
    }
}

void CCWPhotoModule::DrawListItem(const DRAWITEMSTRUCT& drawn) {
    DrawItemBackground(drawn);
    if (const auto* photo = reinterpret_cast<const CPhotoItem*>(drawn.itemData)) {
        const RECT& rect = drawn.rcItem;
        const int inset = win32::ScaleForWindow(hwnd(), kTextInset);
        DrawItemText(drawn.hDC, photo->GetDisplayName(), {rect.left + inset, rect.top, rect.right - inset, rect.bottom},
                     font(), ::GetSysColor(COLOR_WINDOWTEXT), photo->GetTextFormat());
    }
    DrawItemFocus(drawn);
}

void CCWPhotoModule::OnDestroy() {
    data_.Clear();
    ClearShown();
    CConfWindowInf::OnDestroy();
}

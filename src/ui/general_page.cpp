#include "ui/general_page.h"

#include "res/resource.h"
#include "shell/folders.h"
#include "ui/categories.h"
#include "ui/list_drawing.h"
#include "ui/settings_layout.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "win32/registry.h"
#include "xmldata/xml_document.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {
// At 96 DPI.
constexpr int kModuleItemHeight = 20;
constexpr int kCheckSize = 16;
constexpr int kCheckLeft = 3;
constexpr int kCheckTextGap = 5;
constexpr int kTextRightInset = 3;
} // namespace

CCWGeneral::CCWGeneral(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_GENERAL, categoryList, okButton, font) {
    title_ = win32::LoadResString(IDS_GENERAL_TITLE);
    description_ = win32::LoadResString(IDS_GENERAL_DESCRIPTION);
    category_ = kCategoryGeneral;
}

int CCWGeneral::Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) {
    return CConfWindowInf::Create(moduleName, rect, settingsDialog);
}

BOOL CCWGeneral::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    const int groupIds[] = {IDC_MODULE_GROUP, IDC_BURNIN_GROUP, IDC_MODE_SCREEN_GROUP};
    const int staticIds[] = {IDC_MODULE_NOTE, IDC_MODULE_LIST_LABEL, IDC_BURNIN_NOTE};
    for (int i = 0; i < 3; ++i) {
        groups_[i].Bind(hwnd(), groupIds[i]);
        statics_[i].Bind(hwnd(), staticIds[i]);
    }
    burnInCheck_.Bind(hwnd(), IDC_BURNIN_CHECK);
    modeScreenCheck_.Bind(hwnd(), IDC_MODE_SCREEN_CHECK);
    upButton_.Bind(hwnd(), IDC_MODULE_UP);
    downButton_.Bind(hwnd(), IDC_MODULE_DOWN);

    auto notShow = win32::ReadRegDword(HKEY_CURRENT_USER, shell::kProductRegistryKey, kNotShowModeScreenValue);
    Button_SetCheck(item(IDC_MODE_SCREEN_CHECK), notShow && *notShow != 0 ? BST_UNCHECKED : BST_CHECKED);

    moduleList_ = item(IDC_MODULE_LIST);
    AddTabStop(IDC_MODULE_LIST);
    AddTabStop(IDC_BURNIN_CHECK);
    AddTabStop(IDC_MODE_SCREEN_CHECK);
    listEdge_.HookWindow(moduleList_);
    listScrollBars_.HookWindow(moduleList_);
    ::SendMessageW(moduleList_, LB_SETITEMHEIGHT, 0, win32::ScaleForWindow(hwnd(), kModuleItemHeight));
    ::SetWindowSubclass(moduleList_, ModuleListProc, 1, reinterpret_cast<DWORD_PTR>(this));
    LoadCheckBitmaps();
    return TRUE;
}

void CCWGeneral::LoadCheckBitmaps() {
    bitmapScale_ = BitmapScaleForDpi(win32::WindowDpi(hwnd()));
    checkedBitmap_ = LoadListBitmap(ScaledBitmapId(IDB_MODULE_CHECKED, bitmapScale_), IDB_MODULE_CHECKED);
    uncheckedBitmap_ = LoadListBitmap(ScaledBitmapId(IDB_MODULE_UNCHECKED, bitmapScale_), IDB_MODULE_UNCHECKED);
}

void CCWGeneral::AddModuleEntry(const std::wstring& name, CConfWindowInf* page) {
    selection_.Add({0, name, page ? page->moduleName() : std::wstring(), page});
    ListBox_AddItemData(moduleList_, selection_.entries().size() - 1);
}

int CCWGeneral::LoadData() {
    selection_.ForgetLoaded();
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty())
        return 0;
    auto writer = xmldata::XmlWriter::Edit(path);
    if (!writer.loaded())
        return 0;
    loadedBurnIn_ = writer.SelectText(L"./screensaving").value_or(L"") == L"true" ? 1 : 0;
    Button_SetCheck(item(IDC_BURNIN_CHECK), loadedBurnIn_ ? BST_CHECKED : BST_UNCHECKED);

    bool removed = false;
    for (const xmldata::Node& sub : writer.SelectNodes(L"./modules/sub")) {
        // Modules that are not installed, and a module named twice, leave the file at once, each from the
        // `modules` element that holds it (a file may have more than one).
        if (!selection_.CheckFromFile(xmldata::Text(sub))) {
            writer.RemoveNode(sub);
            removed = true;
        }
    }
    ::InvalidateRect(moduleList_, nullptr, TRUE);
    // Written back only when something left it: an unchanged tree would be the same file again, and a start
    // should not rewrite (and flush) a large file for nothing.
    if (removed)
        writer.Save(path);
    return 1;
}

int CCWGeneral::IsModified() {
    const int burnIn = Button_GetCheck(item(IDC_BURNIN_CHECK)) == BST_CHECKED ? 1 : 0;
    return selection_.IsModified() || burnIn != loadedBurnIn_ ? 1 : 0;
}

void CCWGeneral::SaveData() {
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty())
        return;
    auto writer = xmldata::XmlWriter::Edit(path);
    xmldata::Element root = writer.Root();
    xmldata::Node screensaving, modules;
    std::vector<xmldata::Node> subs;
    if (!writer.loaded()) {
        screensaving = writer.AppendElement(root, L"screensaving").As<IXMLDOMNode>();
        modules = writer.AppendElement(root, L"modules").As<IXMLDOMNode>();
    } else {
        screensaving = writer.SelectNode(L"./screensaving");
        if (!screensaving)
            screensaving = writer.AppendElement(root, L"screensaving").As<IXMLDOMNode>();
        subs = writer.SelectNodes(L"./modules/sub");
        modules = writer.SelectNode(L"./modules");
        if (!modules)
            modules = writer.AppendElement(root, L"modules").As<IXMLDOMNode>();
    }
    const bool burnIn = Button_GetCheck(item(IDC_BURNIN_CHECK)) == BST_CHECKED;
    writer.SetText(screensaving, burnIn ? L"true" : L"false");

    std::vector<std::wstring> listed;
    for (const xmldata::Node& sub : subs) {
        const std::wstring name = xmldata::Text(sub);
        if (selection_.KeepsListed(name))
            listed.push_back(name);
        else
            writer.RemoveNode(sub);
    }
    for (const std::wstring& name : selection_.ModulesToAppend(listed))
        writer.AppendElement(modules, L"sub", name);
    writer.Save(path);
}

void CCWGeneral::SaveModeScreenChoice() {
    const bool show = Button_GetCheck(item(IDC_MODE_SCREEN_CHECK)) == BST_CHECKED;
    win32::WriteRegDword(HKEY_CURRENT_USER, shell::kProductRegistryKey, kNotShowModeScreenValue, show ? 0 : 1);
}

void CCWGeneral::ToggleItem(int index) {
    auto& entries = selection_.entries();
    if (index < 0 || size_t(index) >= entries.size())
        return;
    entries[size_t(index)].checked = entries[size_t(index)].checked ? 0 : 1;
    RECT rect;
    if (ListBox_GetItemRect(moduleList_, index, &rect) != LB_ERR) {
        ::InvalidateRect(moduleList_, &rect, TRUE);
        ::UpdateWindow(moduleList_);
    }
}

LRESULT CALLBACK CCWGeneral::ModuleListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<CCWGeneral*>(data);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(list);
        const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
        // The high word is set when the point lies below the last item.
        if (HIWORD(hit))
            return 0;
        const int index = LOWORD(hit);
        ListBox_SetCurSel(list, index);
        self->ToggleItem(index);
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEMOVE:
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            const LONG_PTR style = ::GetWindowLongPtrW(list, GWL_STYLE);
            const int current =
                (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) ? ListBox_GetCaretIndex(list) : ListBox_GetCurSel(list);
            self->ToggleItem(current);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(list, ModuleListProc, 1);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(list, message, wParam, lParam);
}

void CCWGeneral::DrawModuleItem(const DRAWITEMSTRUCT& drawn) {
    if (drawn.itemID == UINT(-1))
        return;
    const auto& entries = selection_.entries();
    if (drawn.itemData >= entries.size())
        return;
    const ModuleEntry& entry = entries[drawn.itemData];
    RECT rect = drawn.rcItem;
    if (drawn.itemState & ODS_SELECTED) {
        DrawSelectionBackground(drawn.hDC, rect);
    } else {
        win32::Brush background(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
        ::FillRect(drawn.hDC, &rect, background.get());
    }
    const int dpi = win32::WindowDpi(hwnd());
    if (BitmapScaleForDpi(dpi) != bitmapScale_)
        LoadCheckBitmaps();
    auto scaled = [dpi](int pixels) { return win32::ScaleToDpi(pixels, dpi); };
    const int size = scaled(kCheckSize), left = rect.left + scaled(kCheckLeft);
    const int top = rect.top + (rect.bottom - rect.top - size) / 2;
    DrawBitmapInCell(drawn.hDC, entry.checked ? checkedBitmap_.get() : uncheckedBitmap_.get(),
                     {left, top, left + size, top + size}, kPageBackground);
    RECT text = {left + size + scaled(kCheckTextGap), rect.top, rect.right - scaled(kTextRightInset), rect.bottom};
    DrawItemText(drawn.hDC, entry.name, text, font(), ::GetSysColor(COLOR_WINDOWTEXT));
    if ((drawn.itemState & ODS_FOCUS) && !(drawn.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(drawn.hDC, &rect);
}

bool CCWGeneral::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DRAWITEM && wParam == IDC_MODULE_LIST) {
        DrawModuleItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message == WM_MEASUREITEM && wParam == IDC_MODULE_LIST) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = win32::ScaleForWindow(hwnd(), kModuleItemHeight);
        result = TRUE;
        return true;
    }
    return CConfWindowInf::OnMessage(message, wParam, lParam, result);
}

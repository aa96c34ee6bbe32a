#include "app/config_dialog.h"

#include "pages/additional_modules/additional_module_page.h"
#include "pages/calendar/calendar_page.h"
#include "pages/display/display_page.h"
#include "pages/general/general_page.h"
#include "pages/music/music_page.h"
#include "pages/news/options_page.h"
#include "pages/news/register_page.h"
#include "pages/photo/photo_page.h"
#include "pages/version/version_page.h"
#include "pages/visualizer/visualizer_page.h"
#include "pages/wakeup_timer/wakeup_page.h"
#include "pages/world_clock/clock_page.h"
#include "res/resource.h"
#include "shell/display_link.h"
#include "shell/folders.h"
#include "ui/categories.h"
#include "ui/help_viewer.h"
#include "ui/list_drawing.h"
#include "ui/settings_layout.h"
#include "win32/app.h"
#include "win32/dialog_template.h"
#include "win32/dpi.h"
#include "win32/registry.h"
#include "win32/strings.h"

#include <windowsx.h>

#include <exception>

namespace {

constexpr COLORREF kTitleBandText = 0x00FFFFFF;
constexpr COLORREF kTitleBandBackground = 0x00807974;

const wchar_t* const kBuiltInModuleFolders[] = {L"Clock", L"Calendar", L"RSS",       L"Music",
                                                L"Photo", L"locale",   L"Visualizer"};

// The page base already restores the default file when the XML layer fails on the user's; a failure that
// remains (on the default copy too) makes the page count as not loaded.
int LoadPage(CConfWindowInf& page) {
    try {
        return page.LoadOrRestore();
    } catch (const std::exception&) {
        return 0;
    }
}

// The settings window's own template, for its font and size at another DPI.
std::optional<win32::DialogTemplate> SettingsTemplate() {
    HINSTANCE resources = win32::GetResourceHandle();
    HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(IDD_SETTINGS), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    const void* data = found ? ::LockResource(::LoadResource(resources, found)) : nullptr;
    if (!data)
        return std::nullopt;
    return win32::ParseDialogTemplate(data, ::SizeofResource(resources, found));
}

// A failing save leaves that page's file as it was; the other pages are still saved.
void SavePage(CConfWindowInf& page) {
    try {
        page.SaveData();
    } catch (const std::exception&) {
    }
}

} // namespace

bool IsBuiltInModuleFolder(const std::wstring& name) {
    for (const wchar_t* known : kBuiltInModuleFolders)
        if (win32::EqualsNoCase(name, known))
            return true;
    return false;
}

std::vector<std::wstring> FindAdditionalModuleFolders(const std::wstring& commonModulesFolder) {
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW entry;
    win32::FindHandle find(::FindFirstFileW((commonModulesFolder + L"\\*").c_str(), &entry));
    if (!find)
        return folders;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L".." || !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!IsBuiltInModuleFolder(name))
            folders.push_back(name);
    } while (::FindNextFileW(find.get(), &entry));
    return folders;
}

std::wstring ShortModuleName(const std::wstring& title) {
    const size_t cut = title.find(L" - ");
    return cut == std::wstring::npos ? title : title.substr(0, cut);
}

CTesselConfigDialog::CTesselConfigDialog(HWND parent) : CTesselDialog(IDD_SETTINGS, parent) {}

CTesselConfigDialog::~CTesselConfigDialog() = default;

BOOL CTesselConfigDialog::OnInitDialog() {
    CTesselDialog::OnInitDialog();
    win32::WinApp* app = win32::GetApp();
    app->setMainWindow(hwnd());
    const std::wstring title =
        win32::FormatString(win32::LoadResString(IDS_SETTINGS_TITLE).c_str(), app->appName().c_str());
    ::SetWindowTextW(hwnd(), title.c_str());
    HINSTANCE resources = win32::GetResourceHandle();
    bigIcon_.reset(static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(
        static_cast<HICON>(::LoadImageW(resources, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

    // Everything laid out in pixels follows the DPI the window is created for, recorded so that every control
    // draws for it; the platform is kept from rescaling the window on its own when the DPI changes.
    layoutDpi_ = win32::WindowDpi(hwnd());
    win32::SetLayoutDpi(hwnd(), layoutDpi_);
    win32::KeepDialogFromRescaling(hwnd());
    backgroundBrush_.reset(::CreateSolidBrush(kPageBackground));
    LOGFONTW templateFont = {};
    if (HFONT current = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)))
        ::GetObjectW(current, sizeof(templateFont), &templateFont);
    CreateDialogFont(templateFont);
    categoryList_ = item(IDC_CATEGORY_LIST);
    listEdge_.HookWindow(categoryList_);
    listScrollBars_.HookWindow(categoryList_);
    okButton_.Bind(hwnd(), IDOK);
    cancelButton_.Bind(hwnd(), IDCANCEL);
    helpButton_.Bind(hwnd(), IDC_HELP_BUTTON);
    titleBand_ = std::make_unique<CConfigItemWindow>(font_.get(), kTitleBandText, kTitleBandBackground, DT_VCENTER, 0);
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(hwnd(), &units);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    LayOut(client.bottom, {units.right, units.bottom}, nullptr);
    ::EnableWindow(item(IDOK), FALSE);
    ::EnableWindow(item(IDCANCEL), FALSE);

    if (!CreatePages())
        return TRUE;
    FillGeneralModuleList();
    if (!generalPage_ || !LoadPage(*generalPage_)) {
        FailPageLoad();
        return TRUE;
    }
    ListBox_SetCurSel(categoryList_, 0);
    OnCategorySelected();

    std::wstring helpFile;
    if (auto applicationPath = win32::ReadRegString(HKEY_LOCAL_MACHINE, shell::kProductRegistryKey, L"ApplicationPath"))
        helpFile = applicationPath->substr(0, applicationPath->find_last_of(L'\\') + 1);
    HelpViewer::Instance().RegisterPath(helpFile + L"Skylume.chm");
    return TRUE;
}

void CTesselConfigDialog::CreateDialogFont(const LOGFONTW& templateFont) {
    LOGFONTW font = {};
    if (templateFont.lfHeight == 0) {
        font.lfHeight = 12;
        wcscpy_s(font.lfFaceName, L"MS UI Gothic");
    } else {
        font.lfHeight = templateFont.lfHeight;
        wcscpy_s(font.lfFaceName, templateFont.lfFaceName);
    }
    font.lfWeight = 100;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH;
    font_.reset(::CreateFontIndirectW(&font));
    for (int id : {IDC_CATEGORY_LIST, IDOK, IDCANCEL, IDC_HELP_BUTTON})
        ::SendMessageW(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void CTesselConfigDialog::LayOut(int clientHeight, SIZE baseUnits, const POINT* topLeft) {
    RECT window, client;
    ::GetWindowRect(hwnd(), &window);
    ::GetClientRect(hwnd(), &client);
    const SettingsLayout layout = LayOutSettingsWindow({client.right, clientHeight}, layoutDpi_, baseUnits);
    // The page is as wide as the templates are drawn for; the window takes the width the list and the page need
    // and keeps its centre (or goes where the platform put it for a new DPI).
    const int width = window.right - window.left + layout.client.cx - client.right;
    const int height = window.bottom - window.top + layout.client.cy - client.bottom;
    const POINT place = topLeft ? *topLeft
                                : POINT{window.left + (window.right - window.left - width) / 2,
                                        window.top + (window.bottom - window.top - height) / 2};
    if (width != window.right - window.left || height != window.bottom - window.top || topLeft)
        ::SetWindowPos(hwnd(), nullptr, place.x, place.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    auto move = [](HWND control, const RECT& rect) {
        ::MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    };
    move(categoryList_, layout.list);
    ::SendMessageW(categoryList_, LB_SETITEMHEIGHT, 0, layout.itemHeight);
    if (titleBand_->hwnd())
        move(titleBand_->hwnd(), layout.band);
    else
        titleBand_->Create(WS_CHILD | WS_VISIBLE, layout.band, hwnd(), 0xFFFF);
    pageRect_ = layout.page;
    for (auto& page : pages_)
        move(page->hwnd(), pageRect_);
    const int ids[] = {IDOK, IDCANCEL, IDC_HELP_BUTTON};
    for (int i = 0; i < 3; ++i)
        move(item(ids[i]), layout.buttons[i]);
}

// The window moved to a display of another DPI (per-monitor awareness): fonts, pages and the window's own parts
// are laid out anew for it, as they would have been had the window opened there.
void CTesselConfigDialog::OnDpiChanged(int dpi, const RECT* suggested) {
    const std::optional<win32::DialogTemplate> settings = SettingsTemplate();
    if (dpi <= 0 || dpi == layoutDpi_ || !settings)
        return;
    const int fromDpi = layoutDpi_;
    layoutDpi_ = dpi;
    win32::SetLayoutDpi(hwnd(), dpi);
    // The template's font at the new DPI, as the dialog manager would make it; the window's own font from it.
    LOGFONTW templateFont = {};
    templateFont.lfHeight = -::MulDiv(settings->pointSize ? settings->pointSize : 9, dpi, 72);
    templateFont.lfWeight = settings->weight ? settings->weight : FW_NORMAL;
    templateFont.lfItalic = settings->italic;
    templateFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(templateFont.lfFaceName, settings->face.c_str(), LF_FACESIZE);
    win32::Font oldFont = std::move(font_), oldPageFont = std::move(pageFont_);
    pageFont_.reset(::CreateFontIndirectW(&templateFont));
    CreateDialogFont(templateFont);
    auto fontFor = [&](HFONT font) { return font == oldFont.get() ? font_.get() : pageFont_.get(); };
    ::SendMessageW(titleBand_->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    for (auto& page : pages_) {
        win32::RescaleChildWindows(page->hwnd(), fromDpi, dpi, fontFor);
        page->OnDpiChanged(font_.get(), fromDpi, dpi);
    }
    const SIZE baseUnits = win32::DialogBaseUnits(pageFont_.get());
    const POINT topLeft = suggested ? POINT{suggested->left, suggested->top} : POINT{};
    LayOut(::MulDiv(settings->cy, baseUnits.cy, 8), baseUnits, suggested ? &topLeft : nullptr);
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool CTesselConfigDialog::AddPage(std::unique_ptr<CConfWindowInf> page, const std::wstring& moduleName, bool load) {
    if (!page->Create(moduleName, pageRect_, hwnd()) || (load && !LoadPage(*page))) {
        page->DestroyWindow();
        FailPageLoad();
        return false;
    }
    pages_.push_back(std::move(page));
    AppendToList(pages_.back().get());
    return true;
}

void CTesselConfigDialog::AppendToList(CConfWindowInf* page) {
    const int index = ListBox_AddItemData(categoryList_, page);
    (void)index;
}

bool CTesselConfigDialog::CreatePages() {
    auto general = std::make_unique<CCWGeneral>(categoryList_, item(IDOK), font_.get());
    CCWGeneral* generalPage = general.get();
    if (!AddPage(std::move(general), L".", false))
        return false;
    generalPage_ = generalPage;
    if (!AddPage(std::make_unique<CCWDisplay>(categoryList_, item(IDOK), font_.get()), L".", true))
        return false;
    // The wake-up timer keeps its settings in the registry; it loads once here.
    auto wakeup = std::make_unique<CCWWakeup>(categoryList_, item(IDOK), font_.get());
    CCWWakeup* wakeupPage = wakeup.get();
    if (!AddPage(std::move(wakeup), L".", false))
        return false;
    wakeupPage->LoadData();
    if (!AddPage(std::make_unique<CCWVersion>(categoryList_, item(IDOK), font_.get()), L".", false))
        return false;
    if (!AddPage(std::make_unique<CCWPhotoModule>(categoryList_, item(IDOK), font_.get()), L"Photo", true))
        return false;
    if (!AddNewsPages())
        return false;
    if (!AddPage(std::make_unique<CCWClockModule>(categoryList_, item(IDOK), font_.get()), L"Clock", true))
        return false;
    if (!AddPage(std::make_unique<CCWCalendarModule>(categoryList_, item(IDOK), font_.get()), L"Calendar", true))
        return false;
    if (!AddPage(std::make_unique<CCWMusicModule>(categoryList_, item(IDOK), font_.get()), L"Music", true))
        return false;
    std::wstring common;
    shell::GetCommonModulesFolder(common);
    if (::GetFileAttributesW((common + L"\\Visualizer\\module-sub.swf").c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!AddPage(std::make_unique<CCWVisualizer>(categoryList_, item(IDOK), font_.get()), L"Visualizer", false))
            return false;
    }
    // Each additional module gets a page of its own, built from the settings description it ships; a module
    // without a usable description gets none, silently.
    additionalModules_ = FindAdditionalModuleFolders(common);
    for (const std::wstring& module : additionalModules_) {
        auto page = std::make_unique<CCWAdditionalModule>(categoryList_, item(IDOK), font_.get());
        // Building the page loads its values too.
        if (page->Create(module, pageRect_, hwnd()) <= 0)
            continue;
        pages_.push_back(std::move(page));
        AppendToList(pages_.back().get());
    }
    return true;
}

// The options page is created and loaded first, since the register page tells it about its list as it loads;
// the register page is listed first.
bool CTesselConfigDialog::AddNewsPages() {
    auto options = std::make_unique<CCWRSSModule_Option>(categoryList_, item(IDOK), font_.get());
    auto registerPage = std::make_unique<CCWRSSModule_Register>(categoryList_, item(IDOK), font_.get(), options.get());
    for (CConfWindowInf* page :
         {static_cast<CConfWindowInf*>(options.get()), static_cast<CConfWindowInf*>(registerPage.get())}) {
        if (!page->Create(L"RSS", pageRect_, hwnd()) || !LoadPage(*page)) {
            options->DestroyWindow();
            registerPage->DestroyWindow();
            FailPageLoad();
            return false;
        }
    }
    newsRegisterPage_ = registerPage.get();
    pages_.push_back(std::move(registerPage));
    AppendToList(pages_.back().get());
    pages_.push_back(std::move(options));
    AppendToList(pages_.back().get());
    return true;
}

void CTesselConfigDialog::FillGeneralModuleList() {
    if (!generalPage_)
        return;
    // Every module page: the list items after General, Display, wake-up timer and Version.
    for (int index = 0; index < PageCount(); ++index) {
        CConfWindowInf* page = PageAt(index);
        if (page->category() <= kCategoryVersion || page == newsRegisterPage_)
            continue;
        generalPage_->AddModuleEntry(ShortModuleName(page->title()), page);
    }
}

void CTesselConfigDialog::FailPageLoad() {
    win32::AppMessageBox(IDS_PAGE_LOAD_FAILED, MB_ICONHAND);
    EndDialog(IDOK);
}

int CTesselConfigDialog::PageCount() const {
    return ListBox_GetCount(categoryList_);
}

CConfWindowInf* CTesselConfigDialog::PageAt(int index) const {
    return reinterpret_cast<CConfWindowInf*>(ListBox_GetItemData(categoryList_, index));
}

void CTesselConfigDialog::OnCategorySelected() {
    const int selection = ListBox_GetCurSel(categoryList_);
    if (selection < 0)
        return;
    CConfWindowInf* page = PageAt(selection);
    if (!page || page == currentPage_)
        return;
    if (currentPage_)
        ::ShowWindow(currentPage_->hwnd(), SW_HIDE);
    currentPage_ = page;
    currentPage_->OnPageActivate();
    ::ShowWindow(currentPage_->hwnd(), SW_SHOW);
    titleBand_->SetTexts(currentPage_->title(), currentPage_->description());
    ::EnableWindow(item(IDOK), TRUE);
    ::EnableWindow(item(IDCANCEL), TRUE);
}

void CTesselConfigDialog::OnHelp() {
    if (currentPage_)
        currentPage_->ShowPageHelp();
    else
        HelpViewer::Instance().OpenTopic(kDefaultHelpTopic);
}

bool CTesselConfigDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_CATEGORY_LIST) {
        if (code == LBN_SELCHANGE)
            OnCategorySelected();
        return true;
    }
    if (id == IDC_HELP_BUTTON) {
        OnHelp();
        return true;
    }
    return CTesselDialog::OnCommand(id, code, control);
}

void CTesselConfigDialog::OnOK() {
    std::vector<std::wstring> changed;
    auto addChanged = [&changed](const std::wstring& name) {
        for (const std::wstring& known : changed)
            if (known == name)
                return;
        changed.push_back(name);
    };
    bool modulesFolderChanged = false;
    int timerChanged = 0;
    bool newsChanged = false;
    for (int index = 0; index < PageCount(); ++index) {
        CConfWindowInf* page = PageAt(index);
        switch (page->category()) {
        case kCategoryGeneral:
            static_cast<CCWGeneral*>(page)->SaveModeScreenChoice();
            if (page->IsModified() == 1) {
                SavePage(*page);
                modulesFolderChanged = true;
            }
            break;
        case kCategoryDisplay:
            static_cast<CCWDisplay*>(page)->SaveBackgroundList();
            if (page->IsModified() == 1) {
                SavePage(*page);
                modulesFolderChanged = true;
            }
            break;
        case kCategoryWakeup:
            timerChanged = page->IsModified() == 1 ? 1 : 0;
            SavePage(*page);
            break;
        case kCategoryNews:
            if (page->IsModified() == 1) {
                SavePage(*page);
                newsChanged = true;
            } else if (page != newsRegisterPage_) {
                static_cast<CCWRSSModule_Option*>(page)->SaveBrowserChoice();
            }
            break;
        default:
            if (page->IsModified() == 1) {
                SavePage(*page);
                addChanged(page->moduleName());
            }
            break;
        }
    }
    // The General and Display pages share the Modules folder's own data.xml: one empty name for both.
    if (modulesFolderChanged)
        changed.insert(changed.begin(), L"");
    if (newsChanged)
        addChanged(L"RSS");
    EndDialog(IDOK);
    if (!changed.empty() || timerChanged == 1) {
        shell::WriteChangedModulesFile(changed, timerChanged);
        shell::BroadcastCode(shell::kCodeSettingsSaved);
    }
}

void CTesselConfigDialog::OnDestroy() {
    for (auto& page : pages_)
        page->DestroyWindow();
    pages_.clear();
    win32::SetLayoutDpi(hwnd(), 0);
    currentPage_ = nullptr;
    generalPage_ = nullptr;
    CTesselDialog::OnDestroy();
}

HBRUSH CTesselConfigDialog::OnCtlColor(HDC dc, HWND control, UINT controlType) {
    HBRUSH brush = CTesselDialog::OnCtlColor(dc, control, controlType);
    if (controlType != CTLCOLOR_STATIC)
        return brush;
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkMode(dc, TRANSPARENT);
    return backgroundBrush_.get();
}

void CTesselConfigDialog::DrawCategoryItem(const DRAWITEMSTRUCT& drawn) {
    if (drawn.itemID == UINT(-1))
        return;
    auto* page = reinterpret_cast<CConfWindowInf*>(drawn.itemData);
    const bool selected = (drawn.itemState & ODS_SELECTED) != 0;
    HDC dc = drawn.hDC;
    RECT rect = drawn.rcItem;
    if (selected) {
        DrawSelectionBackground(dc, rect);
    } else {
        win32::Brush background(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
        ::FillRect(dc, &rect, background.get());
    }
    if (!page)
        return;
    const CategoryItemLayout layout = LayOutCategoryItem(layoutDpi_);
    const int iconTop = rect.top + (rect.bottom - rect.top - layout.iconSize) / 2;
    const RECT icon = {rect.left + layout.iconLeft, iconTop, rect.left + layout.iconLeft + layout.iconSize,
                       iconTop + layout.iconSize};
    DrawBitmapInCell(dc, CategoryBitmapHandle(CategoryBitmap(page->category(), selected)), icon);
    RECT text = {rect.left + layout.textLeft, rect.top, rect.right - layout.textRightInset, rect.bottom};
    DrawItemText(dc, page->title(), text, font_.get(), ::GetSysColor(COLOR_WINDOWTEXT));
    if ((drawn.itemState & ODS_FOCUS) && !(drawn.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(dc, &rect);
}

HBITMAP CTesselConfigDialog::CategoryBitmapHandle(int resourceId) {
    const int scaledId = ScaledBitmapId(resourceId, BitmapScaleForDpi(layoutDpi_));
    win32::Bitmap& bitmap = categoryBitmaps_[scaledId];
    if (!bitmap)
        bitmap = LoadListBitmap(scaledId, resourceId);
    return bitmap.get();
}

bool CTesselConfigDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == shell::CommonMessage()) {
        if (wParam == shell::kCodeCloseSettings)
            ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        else if (wParam == shell::kCodeBringSettingsForward)
            shell::ForceForeground(hwnd());
        else if (wParam == shell::kCodeSiteAdded && newsRegisterPage_)
            static_cast<CCWRSSModule_Register*>(newsRegisterPage_)->MergeAdditionalFeeds();
        result = 0;
        return true;
    }
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_CATEGORY_LIST)
            break;
        // Asked while the template is created, before the window has recorded its DPI.
        measure->itemHeight = UINT(CategoryItemHeight(layoutDpi_ ? layoutDpi_ : win32::WindowDpi(hwnd())));
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* drawn = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (drawn->CtlID != IDC_CATEGORY_LIST)
            break;
        DrawCategoryItem(*drawn);
        result = TRUE;
        return true;
    }
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    case WM_SYSCOMMAND:
        // Alt+key goes to the current page, so the page's mnemonics work.
        if ((wParam & 0xFFF0) == SC_KEYMENU && currentPage_ && lParam) {
            if (HWND first = ::GetWindow(currentPage_->hwnd(), GW_CHILD)) {
                ::PostMessageW(first, WM_SYSCHAR, WPARAM(lParam), 0x20000000);
                result = 0;
                return true;
            }
        }
        break;
    default:
        break;
    }
    return CTesselDialog::OnMessage(message, wParam, lParam, result);
}

bool CTesselConfigDialog::PreTranslateMessage(MSG& msg) {
    // F1 from any control of the window (the category list, the buttons, a page) opens help as the Help button
    // does; keys of other windows (a sub-dialog's) are not ours. The key is handled here only: a WM_HELP as well
    // would open the topic twice.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && (msg.hwnd == hwnd() || ::IsChild(hwnd(), msg.hwnd))) {
        OnHelp();
        return true;
    }
    if (msg.message == WM_KEYDOWN) {
        HWND focused = ::GetFocus();
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        if (currentPage_ && focused && msg.wParam == VK_TAB) {
            if (shift && focused == item(IDOK)) {
                if (HWND last = currentPage_->LastTabStop()) {
                    currentPage_->FocusControl(last);
                    return true;
                }
            } else if (!shift && focused == categoryList_) {
                if (HWND first = currentPage_->FirstTabStop()) {
                    currentPage_->FocusControl(first);
                    return true;
                }
            }
        }
        if (msg.wParam == VK_RETURN && focused == item(IDCANCEL)) {
            OnCancel();
            return true;
        }
        if (msg.wParam == VK_RETURN && focused == item(IDC_HELP_BUTTON)) {
            OnHelp();
            return true;
        }
    }
    return CTesselDialog::PreTranslateMessage(msg);
}

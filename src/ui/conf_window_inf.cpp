#include "ui/conf_window_inf.h"

#include "res/resource.h"
#include "shell/folders.h"
#include "ui/categories.h"
#include "ui/help_viewer.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "win32/atomic_file.h"
#include "win32/handle.h"
#include "win32/strings.h"
#include "xmldata/xml_document.h"

#include <exception>

namespace {

bool IsRadioButton(HWND control) {
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    if (!win32::EqualsNoCase(className, L"Button"))
        return false;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// A radio group counts as one stop: only its checked button takes the focus.
bool IsUsableTabStop(HWND control) {
    if (!::IsWindow(control) || !::IsWindowEnabled(control) || !::IsWindowVisible(control))
        return false;
    return !IsRadioButton(control) || ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A plain push button: Enter presses it instead of closing the settings window.
bool IsPushButton(HWND control) {
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    if (!control || !win32::EqualsNoCase(className, L"Button"))
        return false;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & 0x0F;
    return type != BS_AUTOCHECKBOX && type != BS_AUTORADIOBUTTON;
}

// More backups than this means something rewrites the file on every start; the restore then waits.
constexpr int kMaxDamagedCopies = 100;

} // namespace

std::wstring DamagedCopyPath(const std::wstring& path, int n) {
    return path + kDamagedCopySuffix + (n > 1 ? std::to_wstring(n) : std::wstring());
}

bool KeepDamagedCopy(const std::wstring& path, const std::string& bytes) {
    for (int n = 1; n <= kMaxDamagedCopies; ++n) {
        const std::wstring backup = DamagedCopyPath(path, n);
        if (::GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES)
            return win32::WriteFileAtomically(backup, bytes);
        if (win32::ReadWholeFile(backup) == bytes)
            return true;
    }
    return false;
}

CConfWindowInf::CConfWindowInf(UINT templateId, HWND categoryList, HWND okButton, HFONT font)
    : Dialog(templateId), font_(font), categoryList_(categoryList), okButton_(okButton) {}

CConfWindowInf::~CConfWindowInf() {
    if (accelerators_)
        ::DestroyAcceleratorTable(accelerators_);
}

int CConfWindowInf::Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) {
    moduleName_ = moduleName;
    if (!CreateModeless(settingsDialog))
        return 0;
    // The settings window lays its pages out again itself when its DPI changes.
    win32::KeepDialogFromRescaling(hwnd());
    ::MoveWindow(hwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    return 1;
}

void CConfWindowInf::GetModuleFolderPath(std::wstring& path) const {
    path = shell::GetModulesFolder(true, moduleName_);
}

void CConfWindowInf::GetDataFilePath(std::wstring& path) const {
    GetModuleFolderPath(path);
    // Without its folder a page has no file; "\data.xml" alone would name one at the root of the drive.
    if (!path.empty())
        path += std::wstring(L"\\") + shell::kDataFileName;
}

void CConfWindowInf::SetIdentity(UINT titleId, UINT descriptionId, int category) {
    title_ = win32::LoadResString(titleId);
    description_ = win32::LoadResString(descriptionId);
    category_ = category;
}

bool CConfWindowInf::LoadDataFile(xmldata::XmlDocument& document) const {
    std::wstring path;
    GetDataFilePath(path);
    return !path.empty() && document.Load(path);
}

void CConfWindowInf::EditDataFile(const std::function<bool(xmldata::XmlWriter& writer)>& edit) const {
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty())
        return;
    auto writer = xmldata::XmlWriter::Edit(path);
    if (writer.loaded() && edit(writer))
        writer.Save(path);
}

std::wstring CConfWindowInf::DefaultDataFilePath() const {
    std::wstring common;
    shell::GetCommonModulesFolder(common);
    return common + L"\\" + moduleName_ + L"\\" + shell::kDataFileName;
}

void CConfWindowInf::RestoreDefaultData() {
    std::wstring target;
    GetDataFilePath(target);
    if (target.empty())
        return;
    shell::CopyFileIfNeeded(target, DefaultDataFilePath(), 1);
}

int CConfWindowInf::LoadOrRestore() {
    // A file that the XML layer cannot handle (a DOM call fails on it) counts as one that does not load: it gets
    // the same one restore, so no well-formed file can keep a page from opening for good. Without a parser at all
    // the file is not to blame.
    failedElsewhere_ = false;
    try {
        if (LoadData())
            return 1;
    } catch (const xmldata::XmlUnavailable&) {
        return 0;
    } catch (const std::exception&) {
    }
    if (failedElsewhere_ || !KeepDamagedCopy())
        return 0;
    RestoreDefaultData();
    return LoadData();
}

bool CConfWindowInf::KeepDamagedCopy() {
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    // A file that cannot even be read is never replaced: it may be the user's only copy.
    const std::optional<std::string> bytes = win32::ReadWholeFile(path);
    if (!bytes)
        return false;
    if (win32::ReadWholeFile(DefaultDataFilePath()) == bytes)
        return true;
    return ::KeepDamagedCopy(path, *bytes);
}

void CConfWindowInf::PaintPageBackground(HDC dc, int x, int y, int width, int height) {
    RECT area = {x, y, x + width, y + height};
    ::SetBkColor(dc, kPageBackground);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void CConfWindowInf::OnDpiChanged(HFONT font, int, int) {
    font_ = font;
}

void CConfWindowInf::ShowPageHelp() {
    HelpViewer::Instance().OpenTopic(HelpTopicOfCategory(category_));
}

void CConfWindowInf::FocusControl(HWND control) {
    ::SendMessageW(hwnd(), WM_NEXTDLGCTL, WPARAM(control), TRUE);
}

BOOL CConfWindowInf::OnInitDialog() {
    accelerators_ = ::LoadAcceleratorsW(win32::GetResourceHandle(), MAKEINTRESOURCEW(IDR_PAGE_ACCELERATORS));
    return TRUE;
}

void CConfWindowInf::OnOK() {
    ::PostMessageW(::GetParent(hwnd()), WM_COMMAND, IDOK, 0);
}

void CConfWindowInf::OnCancel() {
    ::PostMessageW(::GetParent(hwnd()), WM_COMMAND, IDCANCEL, 0);
}

bool CConfWindowInf::OnCommand(UINT id, UINT code, HWND control) {
    if (id != ID_PAGE_HELP)
        return Dialog::OnCommand(id, code, control);
    // Alt+H: the focus goes to the Help button, and help opens exactly as from that button.
    HWND main = win32::GetApp() ? win32::GetApp()->mainWindow() : nullptr;
    if (main)
        ::SetFocus(::GetDlgItem(main, IDC_HELP_BUTTON));
    RequestHelp();
    return true;
}

void CConfWindowInf::RequestHelp() {
    if (HWND main = win32::GetApp() ? win32::GetApp()->mainWindow() : nullptr)
        ::PostMessageW(main, WM_COMMAND, IDC_HELP_BUTTON, 0);
    else
        ShowPageHelp();
}

bool CConfWindowInf::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if ((message == WM_MEASUREITEM || message == WM_DRAWITEM) && ownerDrawnList_ && wParam == WPARAM(ownerDrawnList_)) {
        if (message == WM_MEASUREITEM)
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                win32::ScaleForWindow(hwnd(), ownerDrawnItemHeight_);
        else if (const auto& drawn = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam); drawn.itemID != UINT(-1))
            DrawListItem(drawn);
        result = TRUE;
        return true;
    }
    // Labels, group boxes and check boxes sit on the page colour.
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
        static const win32::Brush pageBrush(::CreateSolidBrush(kPageBackground));
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<LRESULT>(pageBrush.get());
        return true;
    }
    if (message != WM_ERASEBKGND)
        return false;
    RECT client;
    ::GetClientRect(hwnd(), &client);
    PaintPageBackground(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom);
    result = 1;
    return true;
}

HWND CConfWindowInf::NextTabStop(HWND from, bool backwards) const {
    const int count = int(tabStops_.size());
    // A stop holds the focus also when a window inside it has it (a drop-down list's combo box, once made); the
    // stop that is the focused window itself comes first, since the page can be a stop too (its scroll bar).
    int at = -1;
    for (int i = 0; i < count && at < 0; ++i)
        if (from && tabStops_[i] == from)
            at = i;
    for (int i = 0; i < count && at < 0; ++i)
        if (from && ::IsChild(tabStops_[i], from))
            at = i;
    if (backwards) {
        if (at < 0)
            return nullptr;
        for (int i = at - 1; i >= 0; --i)
            if (IsUsableTabStop(tabStops_[i]))
                return tabStops_[i];
        return nullptr;
    }
    // Nothing focused (or focus outside the list): the first usable stop.
    for (int i = at + 1; i < count; ++i)
        if (IsUsableTabStop(tabStops_[i]))
            return tabStops_[i];
    return nullptr;
}

HWND CConfWindowInf::LastTabStop() const {
    for (auto it = tabStops_.rbegin(); it != tabStops_.rend(); ++it)
        if (IsUsableTabStop(*it))
            return *it;
    return nullptr;
}

bool CConfWindowInf::PreTranslateMessage(MSG& msg) {
    if (accelerators_ && ::TranslateAcceleratorW(hwnd(), accelerators_, &msg))
        return true;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
        HWND next = NextTabStop(::GetFocus(), backwards);
        if (next)
            FocusControl(next);
        else
            ::SetFocus(backwards ? categoryList_ : okButton_);
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
        RequestHelp();
        return true;
    }
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_RETURN) {
        HWND focused = ::GetFocus();
        if (IsPushButton(focused)) {
            ::PostMessageW(focused, msg.message, VK_SPACE, msg.message == WM_KEYDOWN ? 0x00390001 : 0xC0390001);
            return true;
        }
    }
    return Dialog::PreTranslateMessage(msg);
}

#include "modules/clock/clock_page.h"

#include "modules/clock/clock_dialogs.h"
#include "modules/clock/text_fit.h"
#include "res/resource.h"
#include "shell/language.h"
#include "ui/categories.h"
#include "win32/app.h"
#include "win32/dpi.h"
#include "xmldata/xml_document.h"

#include <windowsx.h>

namespace {

constexpr int kListTextMargin = 4;

bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

const wchar_t* TrueFalse(bool value) {
    return value ? L"true" : L"false";
}

} // namespace

ClockButtonStates ButtonStatesFor(int selection, int count) {
    if (selection == 0)
        return {true, false, false, false};
    return {true, true, selection >= 2, selection < count - 1};
}

int TopIndexShowing(int target, int top, int visible) {
    if (visible < 1)
        visible = 1;
    if (target > top + visible - 1)
        return target - visible + 1;
    if (target < top)
        return target;
    return top;
}

CCWClockModule::CCWClockModule(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_CLOCK, categoryList, okButton, font) {
    title_ = win32::LoadResString(IDS_CLOCK_TITLE);
    description_ = win32::LoadResString(IDS_CLOCK_DESCRIPTION);
    category_ = kCategoryClock;
}

CCWClockModule::~CCWClockModule() = default;

int CCWClockModule::Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) {
    return CConfWindowInf::Create(moduleName, rect, settingsDialog);
}

BOOL CCWClockModule::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    groups_[0].Bind(hwnd(), IDC_CLOCK_GROUP);
    groups_[1].Bind(hwnd(), IDC_CLOCK_MAIN_GROUP);
    const int staticIds[] = {IDC_CLOCK_LIST_LABEL, IDC_CLOCK_NOTE, IDC_CLOCK_FORMAT_LABEL, IDC_CLOCK_NOTATION_LABEL};
    for (int i = 0; i < 4; ++i)
        statics_[i].Bind(hwnd(), staticIds[i]);
    listBox_.Bind(hwnd(), IDC_CLOCK_LIST);
    listBox_.Velour();
    const int buttonIds[] = {IDC_CLOCK_ADD, IDC_CLOCK_DELETE, IDC_CLOCK_EDIT, IDC_CLOCK_UP, IDC_CLOCK_DOWN};
    for (int i = 0; i < 5; ++i)
        buttons_[i].Bind(hwnd(), buttonIds[i]);
    const int radioIds[] = {IDC_CLOCK_ANALOG, IDC_CLOCK_DIGITAL, IDC_CLOCK_12_HOUR, IDC_CLOCK_24_HOUR};
    for (int i = 0; i < 4; ++i)
        radios_[i].Bind(hwnd(), radioIds[i]);
    secondsCheck_.Bind(hwnd(), IDC_CLOCK_SECONDS);
    list_ = item(IDC_CLOCK_LIST);

    for (int id : {IDC_CLOCK_LIST, IDC_CLOCK_ADD, IDC_CLOCK_DELETE, IDC_CLOCK_EDIT, IDC_CLOCK_UP, IDC_CLOCK_DOWN,
                   IDC_CLOCK_ANALOG, IDC_CLOCK_DIGITAL, IDC_CLOCK_12_HOUR, IDC_CLOCK_24_HOUR, IDC_CLOCK_SECONDS})
        AddTabStop(id);

    database_.LoadCityDatabase();
    for (int id : {IDC_CLOCK_DELETE, IDC_CLOCK_EDIT, IDC_CLOCK_UP, IDC_CLOCK_DOWN})
        ::EnableWindow(item(id), FALSE);
    return TRUE;
}

void CCWClockModule::ClearClocks() {
    clocks_.clear();
    ListBox_ResetContent(list_);
}

int CCWClockModule::LoadData() {
    if (!hwnd())
        return 0;
    // Without cities (a damaged or missing citydb.dat) the page cannot be used, but the user's file is not to blame.
    const CCityGroup* group = database_.FindCityGroup(shell::GetLanguageIndex());
    if (!group || group->cities.empty()) {
        FailedElsewhere();
        return 0;
    }
    ClearClocks();

    std::wstring path;
    GetDataFilePath(path);
    xmldata::XmlDocument document;
    if (path.empty() || !document.Load(path))
        return 0;
    auto subMode = document.SelectText(L"./sub/mode");
    auto subAmPm = document.SelectText(L"./sub/ampm");
    auto subSeconds = document.SelectText(L"./sub/seconds");
    auto mainMode = document.SelectText(L"./main/mode");
    auto mainAmPm = document.SelectText(L"./main/ampm");
    auto mainSeconds = document.SelectText(L"./main/seconds");
    if (!subMode || !subAmPm || !subSeconds || !mainMode || !mainAmPm || !mainSeconds)
        return 0;
    sub_.mode = *subMode == L"digital" ? 1 : 0;
    sub_.twelveHour = *subAmPm == L"true" ? 1 : 0;
    sub_.seconds = *subSeconds == L"true" ? 1 : 0;
    const bool digital = *mainMode == L"digital";
    ::CheckRadioButton(hwnd(), IDC_CLOCK_ANALOG, IDC_CLOCK_DIGITAL, digital ? IDC_CLOCK_DIGITAL : IDC_CLOCK_ANALOG);
    const bool twelveHour = *mainAmPm == L"true";
    ::CheckRadioButton(hwnd(), IDC_CLOCK_12_HOUR, IDC_CLOCK_24_HOUR,
                       twelveHour ? IDC_CLOCK_12_HOUR : IDC_CLOCK_24_HOUR);
    const bool seconds = *mainSeconds == L"true";
    ::CheckDlgButton(hwnd(), IDC_CLOCK_SECONDS, seconds ? BST_CHECKED : BST_UNCHECKED);

    const std::vector<xmldata::Node> clockNodes = document.SelectNodes(L"./main/clock");
    if (clockNodes.empty() || clockNodes.size() > size_t(kMaxClocks))
        return 0;
    for (const xmldata::Node& node : clockNodes) {
        auto entry = std::make_unique<CClockEntry>();
        if (!ReadClockEntry(*entry, node, database_))
            return 0;
        const bool local = clocks_.empty();
        if (local && !entry->IsLocal())
            return 0;
        ListBox_AddString(list_, ListText(*entry, local).c_str());
        clocks_.push_back(std::move(entry));
    }

    loadedSub_ = sub_;
    loadedDigital_ = digital ? 1 : 0;
    loadedTwelveHour_ = twelveHour ? 1 : 0;
    loadedSeconds_ = seconds ? 1 : 0;
    loadedClocks_.clear();
    for (const auto& clock : clocks_)
        loadedClocks_.push_back(*clock);
    UpdateAddButton();
    ListBox_SetCurSel(list_, 0);
    UpdateButtons();
    return 1;
}

int CCWClockModule::IsModified() {
    if (!(sub_ == loadedSub_) || Checked(hwnd(), IDC_CLOCK_12_HOUR) != bool(loadedTwelveHour_) ||
        Checked(hwnd(), IDC_CLOCK_DIGITAL) != bool(loadedDigital_) ||
        Checked(hwnd(), IDC_CLOCK_SECONDS) != bool(loadedSeconds_))
        return 1;
    if (clocks_.size() != loadedClocks_.size())
        return 1;
    for (size_t i = 0; i < clocks_.size(); ++i)
        if (!clocks_[i]->SameAs(loadedClocks_[i]))
            return 1;
    return 0;
}

void CCWClockModule::SaveData() {
    std::wstring path;
    GetDataFilePath(path);
    if (path.empty())
        return;
    auto writer = xmldata::XmlWriter::Rewrite();
    xmldata::Element root = writer.Root();
    xmldata::Element sub = writer.AppendElement(root, L"sub");
    writer.AppendElement(sub, L"mode", sub_.mode == 1 ? L"digital" : L"analog");
    writer.AppendElement(sub, L"ampm", TrueFalse(sub_.twelveHour));
    writer.AppendElement(sub, L"seconds", TrueFalse(sub_.seconds));
    xmldata::Element main = writer.AppendElement(root, L"main");
    writer.AppendElement(main, L"mode", Checked(hwnd(), IDC_CLOCK_DIGITAL) ? L"digital" : L"analog");
    writer.AppendElement(main, L"ampm", TrueFalse(Checked(hwnd(), IDC_CLOCK_12_HOUR)));
    writer.AppendElement(main, L"seconds", TrueFalse(Checked(hwnd(), IDC_CLOCK_SECONDS)));
    for (const auto& clock : clocks_)
        WriteClockEntry(*clock, writer, main);
    writer.Save(path);
}

std::wstring CCWClockModule::ListText(const CClockEntry& entry, bool local) const {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    RECT client{};
    ::GetClientRect(list_, &client);
    int width = client.right - client.left - win32::ScaleForWindow(list_, kListTextMargin);
    const int height = std::max(1, int(ListBox_GetItemHeight(list_, 0)));
    if (!local)
        return FitTextWithEllipsis(entry.name, font, width, height);
    const std::wstring suffix = win32::LoadResString(IDS_CLOCK_DEFAULT_SUFFIX);
    width -= MeasureTextWidth(suffix, font);
    return FitTextWithEllipsis(entry.name, font, width, height) + suffix;
}

bool CCWClockModule::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_CLOCK_ADD:
        OnAdd();
        return true;
    case IDC_CLOCK_DELETE:
        OnDelete();
        return true;
    case IDC_CLOCK_EDIT:
        OnEdit();
        return true;
    case IDC_CLOCK_UP:
        OnMove(-1);
        return true;
    case IDC_CLOCK_DOWN:
        OnMove(1);
        return true;
    case IDC_CLOCK_LIST:
        if (code == LBN_SELCHANGE) {
            UpdateButtons();
            return true;
        }
        break;
    default:
        break;
    }
    return CConfWindowInf::OnCommand(id, code, control);
}

void CCWClockModule::UpdateButtons() {
    const int selection = ListBox_GetCurSel(list_);
    if (selection == LB_ERR)
        return;
    const ClockButtonStates states = ButtonStatesFor(selection, ListBox_GetCount(list_));
    ::EnableWindow(item(IDC_CLOCK_EDIT), states.edit);
    ::EnableWindow(item(IDC_CLOCK_DELETE), states.remove);
    ::EnableWindow(item(IDC_CLOCK_UP), states.up);
    ::EnableWindow(item(IDC_CLOCK_DOWN), states.down);
}

void CCWClockModule::UpdateAddButton() {
    ::EnableWindow(item(IDC_CLOCK_ADD), ListBox_GetCount(list_) < kMaxClocks);
}

HWND CCWClockModule::Owner() const {
    // The settings window, which a modal dialog disables while it runs (the page alone would leave OK usable).
    return ::GetAncestor(hwnd(), GA_ROOT);
}

void CCWClockModule::FocusListIfNothingFocused() {
    if (!::GetFocus())
        ::SetFocus(list_);
}

void CCWClockModule::OnAdd() {
    auto entry = std::make_unique<CClockEntry>();
    CEditClockDialog dialog(IDD_EDIT_CLOCK, database_, *entry, Owner());
    if (dialog.DoModal() != IDOK)
        return;
    const std::wstring text = ListText(*entry, false);
    const int selection = ListBox_GetCurSel(list_);
    if (selection != LB_ERR) {
        ListBox_InsertString(list_, selection + 1, text.c_str());
        clocks_.insert(clocks_.begin() + selection + 1, std::move(entry));
    } else {
        ListBox_AddString(list_, text.c_str());
        clocks_.push_back(std::move(entry));
    }
    UpdateAddButton();
    FocusListIfNothingFocused();
}

void CCWClockModule::OnDelete() {
    const int selection = ListBox_GetCurSel(list_);
    if (selection == LB_ERR || selection == 0 || size_t(selection) >= clocks_.size())
        return;
    if (win32::AppMessageBox(IDS_CLOCK_DELETE_CONFIRM, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    const int top = ListBox_GetTopIndex(list_);
    ListBox_DeleteString(list_, selection);
    clocks_.erase(clocks_.begin() + selection);
    for (int id : {IDC_CLOCK_DELETE, IDC_CLOCK_EDIT, IDC_CLOCK_UP, IDC_CLOCK_DOWN})
        ::EnableWindow(item(id), FALSE);
    ::EnableWindow(item(IDC_CLOCK_ADD), TRUE);
    ListBox_SetTopIndex(list_, top);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    FocusListIfNothingFocused();
}

void CCWClockModule::OnEdit() {
    const int selection = ListBox_GetCurSel(list_);
    if (selection == LB_ERR || size_t(selection) >= clocks_.size())
        return;
    CClockEntry& entry = *clocks_[size_t(selection)];
    if (selection == 0) {
        CEditDClockDialog dialog(IDD_EDIT_DCLOCK, entry, &sub_.mode, &sub_.twelveHour, &sub_.seconds, Owner());
        dialog.DoModal();
    } else {
        CEditClockDialog dialog(IDD_EDIT_CLOCK, database_, entry, Owner());
        dialog.DoModal();
    }
    const int top = ListBox_GetTopIndex(list_);
    ListBox_DeleteString(list_, selection);
    ListBox_InsertString(list_, selection, ListText(entry, selection == 0).c_str());
    ListBox_SetCurSel(list_, selection);
    ListBox_SetTopIndex(list_, top);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void CCWClockModule::OnMove(int offset) {
    const int selection = ListBox_GetCurSel(list_);
    const int count = ListBox_GetCount(list_);
    const int target = selection + offset;
    // The local clock stays first: nothing moves onto or off index 0.
    if (selection < 1 || target < 1 || target >= count || size_t(count) != clocks_.size())
        return;
    std::swap(clocks_[size_t(selection)], clocks_[size_t(target)]);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    int top = ListBox_GetTopIndex(list_);
    ListBox_DeleteString(list_, selection);
    // A moved clock shows its whole name until the page loads again.
    ListBox_InsertString(list_, target, clocks_[size_t(target)]->name.c_str());
    RECT client{};
    ::GetClientRect(list_, &client);
    const int itemHeight = std::max(1, int(ListBox_GetItemHeight(list_, 0)));
    top = TopIndexShowing(target, top, (client.bottom - client.top) / itemHeight);
    ListBox_SetCurSel(list_, target);
    ListBox_SetTopIndex(list_, top);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    UpdateButtons();
    FocusListIfNothingFocused();
}

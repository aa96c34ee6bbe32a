#include "pages/additional_modules/additional_module_page.h"

#include "res/resource.h"
#include "shell/folders.h"
#include "shell/language.h"
#include "ui/categories.h"
#include "win32/dpi.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kGroupGap = 10;
// While the page still has items without windows: a timer, since its messages come after painting and input.
constexpr UINT_PTR kRealizeTimer = 0x5EED;
constexpr size_t kItemsPerTick = 20;
constexpr int kGroupIndent = 9;
constexpr wchar_t kNeutralFile[] = L"\\preference.xml";
constexpr wchar_t kKindsList[] = L"checkbox, editbox, combobox, slider, fileselector";

bool IsElement(xmldata::NodeRef node) {
    DOMNodeType type = NODE_INVALID;
    return node && SUCCEEDED(node.get()->get_nodeType(&type)) && type == NODE_ELEMENT;
}

std::optional<std::wstring> NameAttribute(const std::vector<xmldata::Attribute>& attributes) {
    for (const xmldata::Attribute& attribute : attributes)
        if (attribute.baseName == L"name")
            return attribute.text;
    return std::nullopt;
}

std::wstring LanguageFileName(const std::wstring& languageCode) {
    return L"\\preference_" + languageCode + L".xml";
}

using Subject = DescriptionVerdict::Subject;

DescriptionVerdict Refusal(Subject subject, std::wstring key, std::wstring group, std::wstring rule) {
    DescriptionVerdict verdict;
    verdict.subject = subject;
    verdict.key = std::move(key);
    verdict.group = std::move(group);
    verdict.rule = std::move(rule);
    return verdict;
}

} // namespace

CCWAdditionalModule::CCWAdditionalModule(HWND categoryList, HWND okButton, HFONT font)
    : CConfWindowInf(IDD_PAGE_ADDITIONAL, categoryList, okButton, font), measuringDc_(::CreateCompatibleDC(nullptr)) {
    owner_.font = font;
    owner_.measuringDc = measuringDc_.get();
    category_ = kCategoryAdditionalModule;
}

CCWAdditionalModule::~CCWAdditionalModule() {
    // The items and titles go before the page window, while their parent still exists.
    controls_.clear();
    groupTitles_.clear();
}

int CCWAdditionalModule::Create(const std::wstring& moduleName, const RECT& rect, HWND settingsDialog) {
    const std::wstring languageCode = shell::GetLanguageCode(shell::GetLanguageIndex());
    const std::wstring languageFile = LanguageFileName(languageCode);
    const std::wstring folder = shell::GetModulesFolder(true, moduleName);
    if (folder.empty())
        return 0;
    std::wstring common;
    if (shell::GetCommonModulesFolder(common)) {
        const std::wstring source = common + L"\\" + moduleName;
        shell::CopyFileIfNeeded(folder + kNeutralFile, source + kNeutralFile, 0);
        shell::CopyFileIfNeeded(folder + languageFile, source + languageFile, 0);
    }
    return CreateFromFolder(moduleName, folder, languageCode, rect, settingsDialog);
}

bool CCWAdditionalModule::ReadDescription(const std::wstring& path, xmldata::XmlDocument& document) {
    using Problem = DescriptionFileRefusal::Problem;
    if (!document.Load(path)) {
        const bool exists = ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        refusedFiles_.push_back({path, exists ? Problem::NotWellFormed : Problem::Missing, L""});
        return false;
    }
    const size_t before = verdicts_.size();
    if (!ParseWindow(document.Root())) {
        refusedFiles_.push_back(
            {path, Problem::Refused, verdicts_.size() > before ? verdicts_.back().rule : L"refused"});
        verdicts_.resize(before);
        return false;
    }
    descriptionFile_ = path;
    return true;
}

bool CCWAdditionalModule::ParseWindow(xmldata::NodeRef root) {
    auto refuse = [this](const wchar_t* rule) {
        verdicts_.push_back(Refusal(Subject::Page, L"", L"", rule));
        return false;
    };
    if (!root || xmldata::BaseName(root) != L"conf_window")
        return refuse(L"the root element is not conf_window");
    const std::vector<xmldata::Attribute> attributes = xmldata::Attributes(root);
    if (attributes.empty())
        return refuse(L"conf_window has no attributes");
    auto name = NameAttribute(attributes);
    if (!name)
        return refuse(L"conf_window has no name attribute");
    title_ = *name;
    if (title_.empty()) {
        DescriptionVerdict emptyName;
        emptyName.subject = Subject::Page;
        emptyName.accepted = true;
        emptyName.notes.push_back(L"the name is empty: the settings window lists the page without a name");
        verdicts_.push_back(std::move(emptyName));
    }
    description_.clear();
    for (const xmldata::Attribute& attribute : attributes)
        if (attribute.baseName == L"description")
            description_ = attribute.text;
    return true;
}

int CCWAdditionalModule::CreateFromFolder(const std::wstring& moduleName, const std::wstring& folder,
                                          const std::wstring& languageCode, const RECT& rect, HWND settingsDialog) {
    try {
        xmldata::XmlDocument language;
        xmldata::XmlDocument neutral;
        xmldata::XmlDocument* description = &language;
        if (!ReadDescription(folder + LanguageFileName(languageCode), language)) {
            description = &neutral;
            if (!ReadDescription(folder + kNeutralFile, neutral))
                return 0;
        }
        if (!CConfWindowInf::Create(moduleName, rect, settingsDialog))
            return 0;
        RECT client;
        ::GetClientRect(hwnd(), &client);
        LayOut(description->Root(), client.right - win32::SystemMetricForDpi(SM_CXVSCROLL, win32::WindowDpi(hwnd())));
        if (contentHeight_ > client.bottom) {
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
            info.nMin = 0;
            info.nMax = contentHeight_ - 1;
            info.nPage = UINT(client.bottom);
            info.nPos = 0;
            ::SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
            ::SetWindowLongPtrW(hwnd(), GWL_STYLE, ::GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_VSCROLL);
            ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            scrollBarSkin_.MarkFocus(true);
        }
        scrollBarSkin_.HookWindow(hwnd());
        laidOut_ = true;
        return 1;
    } catch (const xmldata::XmlError&) {
        return 0;
    }
}

void CCWAdditionalModule::LayOut(xmldata::NodeRef root, int width) {
    const int groupGap = win32::ScaleForWindow(hwnd(), kGroupGap);
    int position = 0;
    bool lastWasGroup = false;
    for (const xmldata::Node& child : xmldata::ChildNodes(root)) {
        if (!IsElement(child) || xmldata::BaseName(child) != L"item")
            continue;
        const std::vector<xmldata::Attribute> attributes = xmldata::Attributes(child);
        int height = 0;
        if (attributes.empty()) {
            if (ParseGroup(child, position, 0, width, height)) {
                position += height + groupGap;
                lastWasGroup = true;
            }
            continue;
        }
        auto key = NameAttribute(attributes);
        if (!key) {
            verdicts_.push_back(Refusal(Subject::ItemWithoutName, L"", L"", L"the item has attributes but no name"));
            continue;
        }
        if (ParseItem(child, *key, position, 0, width, L"", height)) {
            position += height;
            lastWasGroup = false;
        }
    }
    contentHeight_ = position;
    if (position > 0) {
        // The page's one load: the settings window does not load it again.
        LoadData();
        if (lastWasGroup)
            contentHeight_ -= groupGap;
    }
}

bool CCWAdditionalModule::ParseItem(xmldata::NodeRef settingItem, const std::wstring& key, int position, int left,
                                    int width, const std::wstring& group, int& height) {
    DescriptionVerdict verdict = Refusal(Subject::Item, key, group, L"");
    std::unique_ptr<CConfControlInf> control;
    std::optional<std::wstring> description;
    for (const xmldata::Node& child : xmldata::ChildNodes(settingItem)) {
        if (!IsElement(child))
            continue;
        const std::wstring name = xmldata::BaseName(child);
        if (name == L"control") {
            if (control) {
                verdict.notes.push_back(L"a further control is ignored");
                continue;
            }
            auto type = xmldata::NamedItemText(child, L"name");
            auto candidate = type ? CreateConfControl(*type, owner_, key) : nullptr;
            if (!candidate) {
                verdict.notes.push_back(type ? L"control type \"" + *type + L"\" is unknown"
                                             : L"a control without name");
                continue;
            }
            if (candidate->Parse(child))
                control = std::move(candidate);
            else
                verdict.rule = *type + L": " + candidate->refusal();
        } else if (name == L"description" && !description) {
            description = xmldata::Text(child);
        }
    }
    if (!control) {
        if (verdict.rule.empty())
            verdict.rule = std::wstring(L"no control of a known type (") + kKindsList + L")";
        verdicts_.push_back(std::move(verdict));
        return false;
    }
    verdict.notes.insert(verdict.notes.end(), control->notes().begin(), control->notes().end());
    if (key.empty())
        verdict.notes.push_back(L"the name is empty: the value is saved under an empty name");
    // Each item finds its stored value by the first item of its key, so a second item of a key shows the first
    // one's value after a restart.
    for (const auto& earlier : controls_)
        if (earlier->key() == key) {
            verdict.notes.push_back(L"an earlier item has the same name: both values are saved under it, and after "
                                    L"a restart this item shows the earlier one's value");
            break;
        }
    verdict.kind = control->kind();
    control->Place(hwnd(), left, position, width, description.value_or(L""));
    height = control->height();
    verdict.accepted = true;
    verdict.control = control.get();
    controls_.push_back(std::move(control));
    verdicts_.push_back(std::move(verdict));
    return true;
}

bool CCWAdditionalModule::ParseGroup(xmldata::NodeRef groupItem, int position, int left, int width, int& height) {
    xmldata::Node titleNode = xmldata::FindChild(groupItem, L"group");
    const std::wstring title = titleNode ? xmldata::Text(titleNode) : L"";
    auto refuseItems = [&](const std::wstring& rule) {
        for (const xmldata::Node& child : xmldata::ChildNodes(groupItem)) {
            if (!IsElement(child) || xmldata::BaseName(child) != L"item")
                continue;
            auto key = NameAttribute(xmldata::Attributes(child));
            verdicts_.push_back(
                Refusal(key ? Subject::Item : Subject::ItemWithoutName, key.value_or(L""), title, rule));
        }
    };
    if (!titleNode) {
        refuseItems(L"it stands in a group without a group title");
        verdicts_.push_back(Refusal(Subject::Group, L"", L"", L"a group without a group title"));
        return false;
    }
    auto titleWindow = std::make_unique<CGroupTitleWindow>(owner_.font);
    int titleHeight = 0;
    if (!titleWindow->Create(title, WS_CHILD | WS_VISIBLE, left, position, width, titleHeight, hwnd(), 0)) {
        refuseItems(L"its group title could not be created");
        return false;
    }
    int top = position + titleHeight;
    int accepted = 0;
    for (const xmldata::Node& child : xmldata::ChildNodes(groupItem)) {
        if (!IsElement(child) || xmldata::BaseName(child) != L"item")
            continue;
        auto key = NameAttribute(xmldata::Attributes(child));
        if (!key) {
            verdicts_.push_back(Refusal(Subject::ItemWithoutName, L"", title,
                                        L"an item in a group without a name (groups do not nest)"));
            continue;
        }
        int itemHeight = 0;
        const int indent = win32::ScaleForWindow(hwnd(), kGroupIndent);
        if (ParseItem(child, *key, top, left + indent, width - indent, title, itemHeight)) {
            top += itemHeight;
            ++accepted;
        }
    }
    if (accepted == 0) {
        verdicts_.push_back(Refusal(Subject::Group, L"", title, L"no item of the group was accepted"));
        return false;
    }
    groupTitles_.push_back(std::move(titleWindow));
    height = top - position;
    return true;
}

int CCWAdditionalModule::OnPageActivate() {
    StartRealizing();
    return 1;
}

// The item windows of a large module are a large part of the settings window's start, and most pages are never
// opened: they are made when the page is first shown, where the layout placed them. The items in view come at once,
// the rest a few at a time when the page has nothing to paint and no input to answer; scrolling and Tab first make
// the items they reach.
void CCWAdditionalModule::StartRealizing() {
    if (activated_ || !laidOut_)
        return;
    activated_ = true;
    // The scroll bar is the page's last tab stop: with the focus the page scrolls by the keyboard.
    if (Scrolls())
        AddTabStopWindow(hwnd());
    RECT client;
    ::GetClientRect(hwnd(), &client);
    RealizeItems(controls_.size(), ScrollPosition() + client.bottom);
    if (realized_ < controls_.size())
        ::SetTimer(hwnd(), kRealizeTimer, USER_TIMER_MINIMUM, nullptr);
}

void CCWAdditionalModule::RealizeAllItems() {
    StartRealizing();
    RealizeItems(controls_.size(), INT_MAX);
}

void CCWAdditionalModule::RealizeItems(size_t count, int above) {
    const int scrolled = ScrollPosition();
    while (count > 0 && realized_ < controls_.size() && controls_[realized_]->placedTop() < above) {
        CConfControlInf* control = controls_[realized_].get();
        if (control->Realize(scrolled)) {
            // Before the scroll bar's stop, in the order of the items.
            InsertTabStopWindow(realized_, control->focusControl());
            ++realized_;
            --count;
            continue;
        }
        // The page goes on without an item whose windows could not be made; its place stays empty.
        for (DescriptionVerdict& verdict : verdicts_)
            if (verdict.control == control) {
                verdict.accepted = false;
                verdict.control = nullptr;
                verdict.rule = L"its window could not be created";
            }
        controls_.erase(controls_.begin() + std::ptrdiff_t(realized_));
    }
}

int CCWAdditionalModule::ScrollPosition() const {
    return Scrolls() ? ::GetScrollPos(hwnd(), SB_VERT) : 0;
}

std::wstring CCWAdditionalModule::DataFile() const {
    if (!dataFile_.empty())
        return dataFile_;
    std::wstring path;
    GetDataFilePath(path);
    return path;
}

int CCWAdditionalModule::LoadData() {
    // Each control's value goes into the control once: the stored one, or else the one it has.
    StoredValues stored;
    const std::wstring path = DataFile();
    if (!path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        try {
            xmldata::XmlDocument document;
            if (document.Load(path))
                stored = ReadStoredValues(document);
        } catch (const xmldata::XmlError&) {
            // A file the DOM cannot walk leaves the values as they are.
        }
    }
    for (auto& control : controls_)
        control->LoadValue(stored);
    return 1;
}

void CCWAdditionalModule::SaveData() {
    const std::wstring path = DataFile();
    if (path.empty())
        return;
    auto writer = xmldata::XmlWriter::Rewrite(xmldata::Layout::Compact);
    writer.AppendText(writer.Root(), L"\r\n");
    for (auto& control : controls_)
        control->SaveValue(writer);
    writer.Save(path);
}

int CCWAdditionalModule::IsModified() {
    for (auto& control : controls_)
        if (control->IsChanged())
            return 1;
    return 0;
}

int CCWAdditionalModule::lineStep() const {
    LOGFONTW logFont = {};
    if (!owner_.font || !::GetObjectW(owner_.font, sizeof(logFont), &logFont))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    return int(std::abs(int(logFont.lfHeight)) * 1.5);
}

void CCWAdditionalModule::Scroll(int request, int) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(hwnd(), SB_VERT, &info))
        return;
    switch (request) {
    case SB_LINEUP:
        ScrollTo(std::max(info.nMin, info.nPos - lineStep()));
        break;
    case SB_LINEDOWN:
        ScrollTo(std::min(info.nMax, info.nPos + lineStep()));
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        // The 32-bit track position rather than the message's 16-bit one.
        ScrollTo(info.nTrackPos);
        break;
    case SB_TOP:
        ScrollTo(info.nMin);
        break;
    case SB_BOTTOM:
        ScrollTo(info.nMax);
        break;
    default: // page up and page down leave the page where it is
        break;
    }
}

void CCWAdditionalModule::ScrollTo(int position) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    RealizeItems(controls_.size(), position + client.bottom);
    const int old = ::GetScrollPos(hwnd(), SB_VERT);
    ::SetScrollPos(hwnd(), SB_VERT, position, TRUE);
    const int now = ::GetScrollPos(hwnd(), SB_VERT);
    ::ScrollWindowEx(hwnd(), 0, old - now, nullptr, nullptr, nullptr, nullptr,
                     SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

// The items moved with the page's controls; the scroll range and position follow them.
void CCWAdditionalModule::OnDpiChanged(HFONT font, int fromDpi, int toDpi) {
    CConfWindowInf::OnDpiChanged(font, fromDpi, toDpi);
    owner_.font = font;
    for (auto& control : controls_)
        control->RescalePlacement(fromDpi, toDpi);
    contentHeight_ = ::MulDiv(contentHeight_, toDpi, fromDpi);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!(::GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VSCROLL) || !::GetScrollInfo(hwnd(), SB_VERT, &info))
        return;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = contentHeight_ - 1;
    info.nPage = UINT(::MulDiv(int(info.nPage), toDpi, fromDpi));
    info.nPos = ::MulDiv(info.nPos, toDpi, fromDpi);
    ::SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
}

bool CCWAdditionalModule::PreTranslateMessage(MSG& msg) {
    // Tab goes from item to item in their order: the items still without windows are made first.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB)
        RealizeItems(controls_.size(), INT_MAX);
    return CConfWindowInf::PreTranslateMessage(msg);
}

bool CCWAdditionalModule::Scrolls() const {
    return (::GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VSCROLL) != 0;
}

void CCWAdditionalModule::FocusControl(HWND control) {
    CConfWindowInf::FocusControl(control);
    ScrollIntoView(control);
}

void CCWAdditionalModule::ScrollIntoView(HWND control) {
    HWND item = control;
    while (item && ::GetParent(item) != hwnd())
        item = ::GetParent(item);
    if (!item || !Scrolls())
        return;
    RECT rect, client;
    ::GetWindowRect(item, &rect);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    ::GetClientRect(hwnd(), &client);
    const int position = ::GetScrollPos(hwnd(), SB_VERT);
    if (rect.top < 0)
        ScrollTo(position + rect.top);
    else if (rect.bottom > client.bottom) // an item taller than the page shows its top
        ScrollTo(position + std::min<int>(rect.top, rect.bottom - client.bottom));
}

bool CCWAdditionalModule::OnKey(UINT key) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int position = ::GetScrollPos(hwnd(), SB_VERT);
    switch (key) {
    case VK_UP:
        Scroll(SB_LINEUP, 0);
        return true;
    case VK_DOWN:
        Scroll(SB_LINEDOWN, 0);
        return true;
    case VK_PRIOR:
        ScrollTo(position - client.bottom);
        return true;
    case VK_NEXT:
        ScrollTo(position + client.bottom);
        return true;
    case VK_HOME:
        Scroll(SB_TOP, 0);
        return true;
    case VK_END:
        Scroll(SB_BOTTOM, 0);
        return true;
    default:
        return false;
    }
}

bool CCWAdditionalModule::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_SHOWWINDOW && wParam)
        StartRealizing();
    if (message == WM_TIMER && wParam == kRealizeTimer) {
        RealizeItems(kItemsPerTick, INT_MAX);
        if (realized_ >= controls_.size())
            ::KillTimer(hwnd(), kRealizeTimer);
        result = 0;
        return true;
    }
    if (message == WM_VSCROLL && lParam == 0) {
        Scroll(LOWORD(wParam), HIWORD(wParam));
        result = 0;
        return true;
    }
    // The wheel scrolls the page three line steps a notch; controls that use the wheel themselves keep it.
    if (message == WM_MOUSEWHEEL && Scrolls()) {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        for (int i = 0; i < 3 * std::abs(notches); ++i)
            Scroll(notches > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        result = 0;
        return true;
    }
    if (Scrolls()) {
        switch (message) {
        case WM_NCLBUTTONDOWN: // a click on the scroll bar gives it the focus; the bar then does its own work
            if (wParam == HTVSCROLL)
                ::SetFocus(hwnd());
            return false;
        case WM_SETFOCUS: // the page keeps the focus itself rather than handing it to a control
            ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            result = 0;
            return true;
        case WM_KILLFOCUS:
            ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            return false;
        case WM_GETDLGCODE:
            result = DLGC_WANTARROWS;
            return true;
        case WM_KEYDOWN:
            if (::GetFocus() == hwnd() && OnKey(UINT(wParam))) {
                result = 0;
                return true;
            }
            break;
        default:
            break;
        }
    }
    return CConfWindowInf::OnMessage(message, wParam, lParam, result);
}

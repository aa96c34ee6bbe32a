#include "pages/additional_modules/conf_controls.h"

#include "res/resource.h"
#include "ui/fec_file_dialog.h"
#include "win32/app.h"
#include "win32/dialog.h"

#include <algorithm>
#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr int kControlId = 1;
constexpr int kBrowseId = 2;
constexpr int kPathId = 3;
constexpr int kControlLeft = 155;

std::vector<xmldata::Node> ChildrenNamed(xmldata::NodeRef parent, const wchar_t* name) {
    std::vector<xmldata::Node> found;
    for (const xmldata::Node& child : xmldata::ChildNodes(parent)) {
        DOMNodeType type = NODE_INVALID;
        if (SUCCEEDED(child->get_nodeType(&type)) && type == NODE_ELEMENT && xmldata::BaseName(child) == name)
            found.push_back(child);
    }
    return found;
}

// The text of the first child `name` that decimal-parses, or nothing.
std::optional<int32_t> FirstDecimal(xmldata::NodeRef control, const wchar_t* name) {
    for (const xmldata::Node& child : ChildrenNamed(control, name))
        if (auto value = additional::ParseDecimal(xmldata::Text(child)))
            return value;
    return std::nullopt;
}

bool IsExistingFile(const std::wstring& path) {
    if (path.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Decimal(int64_t value) {
    return std::to_wstring(value);
}

} // namespace

std::unique_ptr<CConfControlInf> CreateConfControl(const std::wstring& type, const ConfOwnerInfo& owner,
                                                   const std::wstring& key) {
    if (type == L"checkbox")
        return std::make_unique<CConfCheckBox>(owner, key);
    if (type == L"editbox")
        return std::make_unique<CConfEditBox>(owner, key);
    if (type == L"combobox")
        return std::make_unique<CConfComboBox>(owner, key);
    if (type == L"slider")
        return std::make_unique<CConfSlider>(owner, key);
    if (type == L"fileselector")
        return std::make_unique<CConfFileSelector>(owner, key);
    return nullptr;
}

// Check box.

bool CConfCheckBox::Parse(xmldata::NodeRef control) {
    if (!ReadLabel(control, label_))
        return Refuse(L"no label");
    value_ = L"1";
    for (const xmldata::Node& child : ChildrenNamed(control, L"default")) {
        const std::wstring text = xmldata::Text(child);
        if (IsValid(text)) {
            value_ = text;
            break;
        }
        Note(L"default \"" + text + L"\" ignored: a check box takes only 1 or 0");
    }
    return true;
}

bool CConfCheckBox::CreateRow(int top, int rowHeight, int width) {
    focusControl_ = CreateChild(
        L"Button", label_.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER,
        Scaled(kControlLeft), top, width - Scaled(5) - Scaled(kControlLeft), rowHeight, kControlId);
    return focusControl_ && check_.Attach(focusControl_);
}

void CConfCheckBox::Exchange(bool toControl) {
    if (!realized()) // the box will show the value when it is made
        return;
    if (toControl)
        Button_SetCheck(focusControl_, value_ == L"1" ? BST_CHECKED : BST_UNCHECKED);
    else
        value_ = Button_GetCheck(focusControl_) == BST_CHECKED ? L"1" : L"0";
}

bool CConfCheckBox::IsChanged() {
    if (!realized())
        return false;
    const bool checked = Button_GetCheck(focusControl_) == BST_CHECKED;
    return value_ == L"1" ? !checked : checked;
}

void CConfCheckBox::DrawLabel(HDC, const RECT&) {
    // The label is the check box's own text; the row's background is already painted.
}

// Edit box.

bool CConfEditBox::Parse(xmldata::NodeRef control) {
    std::wstring label;
    if (!ReadLabel(control, label))
        return Refuse(L"no label");
    label_ = additional::RowLabel(label);
    if (xmldata::Node found = xmldata::FindChild(control, L"default"))
        value_ = xmldata::Text(found);
    return true;
}

bool CConfEditBox::CreateRow(int top, int rowHeight, int width) {
    focusControl_ =
        CreateChild(L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_LEFT,
                    Scaled(kControlLeft), top, width - Scaled(5) - Scaled(kControlLeft), rowHeight, kControlId);
    if (!focusControl_ || !edit_.Attach(focusControl_))
        return false;
    edit_.Velour();
    return true;
}

std::wstring CConfEditBox::EditText() const {
    return win32::WindowText(focusControl_);
}

void CConfEditBox::Exchange(bool toControl) {
    if (!realized())
        return;
    if (toControl)
        ::SetWindowTextW(focusControl_, value_.c_str());
    else
        value_ = EditText();
}

bool CConfEditBox::IsChanged() {
    return realized() && EditText() != value_;
}

// Combo box.

bool CConfComboBox::Parse(xmldata::NodeRef control) {
    std::wstring label;
    if (!ReadLabel(control, label))
        return Refuse(L"no label");
    label_ = additional::RowLabel(label);
    for (const xmldata::Node& option : ChildrenNamed(control, L"option"))
        options_.push_back(xmldata::Text(option));
    if (options_.empty())
        return Refuse(L"no option");
    if (xmldata::Node found = xmldata::FindChild(control, L"default")) {
        value_ = xmldata::Text(found);
        if (std::find(options_.begin(), options_.end(), value_) == options_.end())
            Note(L"default \"" + value_ + L"\" names no option: the first option is used");
    } else {
        value_ = options_.front();
    }
    return true;
}

bool CConfComboBox::CreateRow(int top, int rowHeight, int width) {
    const RECT rect = {Scaled(kControlLeft), top, width - Scaled(5), top + rowHeight * 6};
    if (!combo_.Create(hwnd(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, rect, kControlId,
                       font()))
        return false;
    focusControl_ = combo_.hwnd();
    for (const std::wstring& option : options_)
        ComboBox_AddString(focusControl_, option.c_str());
    options_.clear();
    return true;
}

int CConfComboBox::FindExact(const std::wstring& text) const {
    if (!focusControl_)
        return -1;
    const int count = ComboBox_GetCount(focusControl_);
    for (int index = 0; index < count; ++index) {
        std::wstring entry(size_t(ComboBox_GetLBTextLen(focusControl_, index)) + 1, L'\0');
        entry.resize(size_t(ComboBox_GetLBText(focusControl_, index, entry.data())));
        if (entry == text)
            return index;
    }
    return -1;
}

std::wstring CConfComboBox::SelectedText() const {
    const int selected = ComboBox_GetCurSel(focusControl_);
    if (selected < 0)
        return {};
    std::wstring entry(size_t(ComboBox_GetLBTextLen(focusControl_, selected)) + 1, L'\0');
    entry.resize(size_t(ComboBox_GetLBText(focusControl_, selected, entry.data())));
    return entry;
}

bool CConfComboBox::IsValid(const std::wstring& text) {
    if (!realized())
        return std::find(options_.begin(), options_.end(), text) != options_.end();
    return FindExact(text) >= 0;
}

void CConfComboBox::Exchange(bool toControl) {
    if (!realized()) {
        // What filling the box would select: a value that names no option becomes the first option.
        if (toControl && !IsValid(value_) && !options_.empty())
            value_ = options_.front();
        return;
    }
    if (!toControl) {
        value_ = SelectedText();
        return;
    }
    int index = FindExact(value_);
    if (index < 0) {
        index = 0;
        ComboBox_SetCurSel(focusControl_, 0);
        value_ = SelectedText();
    }
    ComboBox_SetCurSel(focusControl_, index);
}

bool CConfComboBox::IsChanged() {
    return realized() && SelectedText() != value_;
}

// Slider.

bool CConfSlider::Parse(xmldata::NodeRef control) {
    std::wstring label;
    if (!ReadLabel(control, label))
        return Refuse(L"no label");
    label_ = additional::RowLabel(label);
    auto min = FirstDecimal(control, L"min");
    auto max = FirstDecimal(control, L"max");
    if (!min)
        return Refuse(L"no min that is a decimal integer");
    if (!max)
        return Refuse(L"no max that is a decimal integer");
    if (*min >= *max)
        return Refuse(L"min is not less than max");
    min_ = *min;
    max_ = *max;
    auto delta = FirstDecimal(control, L"delta");
    delta_ = additional::SliderStep(min_, max_, delta);
    for (const xmldata::Node& child : ChildrenNamed(control, L"delta")) {
        const std::wstring text = xmldata::Text(child);
        if (additional::ParseDecimal(text))
            break;
        Note(L"delta \"" + text + L"\" is not a decimal integer and is ignored" + (delta ? L"" : L": the step is 1"));
    }
    if (delta && *delta != delta_)
        Note(L"delta " + Decimal(*delta) + L" is not a positive divisor of max - min: the step is 1");
    value_ = Decimal(min_);
    for (const xmldata::Node& child : ChildrenNamed(control, L"default")) {
        const std::wstring text = xmldata::Text(child);
        auto value = additional::ParseDecimal(text);
        if (value && *value >= min_ && *value <= max_) {
            value_ = text;
            // The page shows the position the value falls on and saves it in its own form, so a default off the
            // step or written otherwise ("007") makes the page count as changed: the first OK rewrites it.
            const int64_t offset = int64_t(*value) - min_;
            const std::wstring saved = Decimal(min_ + offset / delta_ * delta_);
            if (offset % delta_ != 0)
                Note(L"default \"" + text + L"\" is off the step of " + Decimal(delta_) +
                     L" from min: the page shows " + saved + L" and the first OK saves it");
            else if (saved != text)
                Note(L"default \"" + text + L"\" is not written as the page writes numbers: the first OK saves \"" +
                     saved + L"\"");
            break;
        }
        Note(L"default \"" + text + L"\" ignored: not a decimal integer from min to max");
    }
    return true;
}

bool CConfSlider::CreateRow(int top, int rowHeight, int width) {
    // Room for the widest number the slider can show, measured with the page font.
    const int numberWidth = MeasureWith([this](HDC dc) {
        int widest = 0;
        for (int32_t end : {min_, max_}) {
            const std::wstring text = Decimal(end);
            SIZE size = {};
            ::GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
        return widest;
    });
    const int right = width - Scaled(5);
    numberRect_ = {right - numberWidth, top, right, top + rowHeight};
    focusControl_ = CreateChild(TRACKBAR_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_NOTICKS | TBS_BOTH,
                                Scaled(kControlLeft), top, numberRect_.left - Scaled(4) - Scaled(kControlLeft),
                                rowHeight, kControlId);
    if (!focusControl_ || !sliderSkin_.Attach(focusControl_))
        return false;
    // With redraw asked for: Wine's trackbar moves its thumb only then, also while the page is hidden.
    ::SendMessageW(focusControl_, TBM_SETRANGEMIN, FALSE, 0);
    ::SendMessageW(focusControl_, TBM_SETRANGEMAX, TRUE, additional::SliderPositions(min_, max_, delta_));
    return true;
}

std::wstring CConfSlider::PositionText() const {
    const int64_t position = focusControl_ ? ::SendMessageW(focusControl_, TBM_GETPOS, 0, 0) : position_;
    return Decimal(position * delta_ + min_);
}

void CConfSlider::Exchange(bool toControl) {
    if (!toControl) {
        value_ = PositionText();
        return;
    }
    const int64_t value = additional::ParseDecimal(value_).value_or(min_);
    position_ = (value - min_) / delta_;
    if (!realized())
        return;
    // Redraw is asked for even on a hidden page, since Wine's trackbar moves its thumb only then; the number is
    // drawn in full when a hidden page is shown.
    ::SendMessageW(focusControl_, TBM_SETPOS, TRUE, LPARAM(position_));
    if (::IsWindowVisible(hwnd()))
        ::InvalidateRect(hwnd(), &numberRect_, TRUE);
}

bool CConfSlider::IsChanged() {
    return PositionText() != value_;
}

void CConfSlider::PaintExtras(HDC dc) {
    if (!focusControl_)
        return;
    HGDIOBJ old = ::SelectObject(dc, font() ? font() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    const std::wstring text = PositionText();
    RECT box = numberRect_;
    ::DrawTextW(dc, text.c_str(), int(text.size()), &box, DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX);
    ::SelectObject(dc, old);
}

void CConfSlider::OnRescaled(int fromDpi, int toDpi) {
    auto scale = [&](LONG value) { return LONG(::MulDiv(value, toDpi, fromDpi)); };
    numberRect_ = {scale(numberRect_.left), scale(numberRect_.top), scale(numberRect_.right),
                   scale(numberRect_.bottom)};
}

void CConfSlider::OnChildScroll() {
    ::InvalidateRect(hwnd(), &numberRect_, TRUE);
}

// File selector.

CConfFileSelector::CConfFileSelector(const ConfOwnerInfo& owner, std::wstring key)
    : CConfControlInf(owner, std::move(key)),
      path_(owner.font, RGB(0, 0, 0), kItemBackground, DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS, 1) {}

bool CConfFileSelector::Parse(xmldata::NodeRef control) {
    std::wstring label;
    if (!ReadLabel(control, label))
        return Refuse(L"no label");
    label_ = additional::RowLabel(label);
    for (const xmldata::Node& child : ChildrenNamed(control, L"default")) {
        const std::wstring text = xmldata::Text(child);
        if (IsValid(text)) {
            value_ = text;
            break;
        }
        Note(L"default \"" + text + L"\" ignored: no such file");
    }
    for (const xmldata::Node& child : ChildrenNamed(control, L"filter")) {
        const std::vector<xmldata::Attribute> attributes = xmldata::Attributes(child);
        const std::wstring text = xmldata::Text(child);
        if (attributes.size() != 1 || attributes[0].baseName != L"ext" || attributes[0].text.empty() || text.empty()) {
            Note(L"filter \"" + text + L"\" ignored: it needs exactly one attribute ext and a text, both not empty");
            continue;
        }
        // The type list puts "*." before the extension itself, so ".jpg" or "*.jpg" matches no file.
        const std::wstring& extension = attributes[0].text;
        if (extension.find_first_of(L".*") != std::wstring::npos) {
            const std::wstring bare = extension.substr(std::min(extension.size(), extension.find_first_not_of(L"*.")));
            Note(L"filter \"" + text + L"\": ext \"" + extension +
                 L"\" has a dot or star, the file dialog puts \"*.\" before it and lists no file: write \"" + bare +
                 L"\"");
        }
        filters_.push_back({extension, text});
    }
    return true;
}

std::wstring CConfFileSelector::TypeList() const {
    std::wstring allFiles = win32::LoadResString(IDS_ADDITIONAL_ALL_FILES);
    if (allFiles.empty())
        allFiles = L"All files|*.*||";
    return additional::FileTypeList(filters_, allFiles);
}

bool CConfFileSelector::CreateRow(int top, int rowHeight, int width) {
    const int buttonWidth = rowHeight * 2;
    const int right = width - Scaled(5);
    focusControl_ = CreateChild(L"Button", L"...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                right - buttonWidth, top, buttonWidth, rowHeight, kBrowseId);
    if (!focusControl_ || !browseSkin_.Attach(focusControl_))
        return false;
    RECT pathRect = {Scaled(kControlLeft), top, right - buttonWidth - Scaled(4), top + rowHeight};
    return path_.Create(WS_CHILD | WS_VISIBLE, pathRect, hwnd(), kPathId);
}

bool CConfFileSelector::IsValid(const std::wstring& text) {
    return IsExistingFile(text);
}

void CConfFileSelector::Exchange(bool toControl) {
    if (toControl)
        path_.SetTexts(value_, L"");
    else
        value_ = path_.title();
}

bool CConfFileSelector::IsChanged() {
    return path_.title() != value_;
}

void CConfFileSelector::ChoosePath(const std::wstring& path) {
    path_.SetTexts(path, L"");
}

void CConfFileSelector::OnChildCommand(UINT id, UINT code) {
    if (id == kBrowseId && code == BN_CLICKED)
        Browse();
}

void CConfFileSelector::Browse() {
    CFECFileDialog dialog(true, nullptr, nullptr, OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                          TypeList().c_str(), hwnd());
    if (dialog.DoModal() != IDOK)
        return;
    auto position = dialog.GetStartPosition();
    if (position)
        ChoosePath(dialog.GetNextPathName(position));
}

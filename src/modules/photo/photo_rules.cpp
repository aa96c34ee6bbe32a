#include "modules/photo/photo_rules.h"

#include <cwctype>

namespace photo {
namespace {

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
    if (text.size() < suffix.size())
        return false;
    const std::wstring_view tail = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::towlower(tail[i]) != std::towlower(suffix[i]))
            return false;
    return true;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && EndsWithNoCase(a, b);
}

} // namespace

std::wstring FileDisplayName(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring_view::npos)
        return std::wstring(path);
    std::wstring_view name = path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos && dot >= 1)
        name = name.substr(0, dot);
    return std::wstring(name);
}

int ParseDecimal(std::wstring_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == L' ' || (text[at] >= L'\t' && text[at] <= L'\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        negative = text[at++] == L'-';
    long long value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = value * 10 + (text[at] - L'0');
        if (value > 0x80000000LL)
            value = 0x80000000LL; // saturated: far outside every range this is checked against
    }
    value = negative ? -value : value;
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    return int(value);
}

void ParseFileFormat(std::wstring_view list, FormatFlags& flags) {
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(L',', start);
        const std::wstring_view token = list.substr(start, comma == std::wstring_view::npos ? comma : comma - start);
        if (EqualsNoCase(token, L"GIF"))
            flags.gif = 1;
        else if (EqualsNoCase(token, L"PNG"))
            flags.png = 1;
        if (comma == std::wstring_view::npos)
            return;
        start = comma + 1;
    }
}

std::wstring FileFormatText(const FormatFlags& flags) {
    if (flags.gif && flags.png)
        return L"gif,png";
    if (flags.gif)
        return L"gif";
    if (flags.png)
        return L"png";
    return {};
}

std::wstring GarbageFileName(std::wstring_view entry) {
    size_t cut = entry.rfind(L'\\');
    if (cut == std::wstring_view::npos)
        cut = entry.rfind(L'/');
    return std::wstring(cut == std::wstring_view::npos ? entry : entry.substr(cut + 1));
}

bool HasPhotoExtension(std::wstring_view path) {
    return EndsWithNoCase(path, L".jpeg") || EndsWithNoCase(path, L".jpg");
}

namespace {
// printf's "%s" with one argument, without the C library's wide-format differences between platforms.
std::wstring FillIn(std::wstring_view format, std::initializer_list<std::wstring_view> values) {
    std::wstring result;
    auto value = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L's' && value != values.end()) {
            result += *value++;
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}
} // namespace

std::wstring FileTypeDescription(const FormatFlags& formats, const std::wstring& jpeg, const std::wstring& gif,
                                 const std::wstring& png, const std::wstring& separator) {
    std::wstring description = jpeg;
    if (formats.gif)
        description += separator + gif;
    if (formats.png)
        description += separator + png;
    return description;
}

std::wstring FileTypeFilter(const FormatFlags& formats, const std::wstring& description) {
    const wchar_t* format = L"%s (*.jpeg;*.jpg)|*.jpeg; *.jpg||";
    if (formats.gif && formats.png)
        format = L"%s (*.jpeg;*.jpg;*.gif;*.png)|*.jpeg; *.jpg; *.gif; *.png||";
    else if (formats.gif)
        format = L"%s (*.jpeg;*.jpg;*.gif)|*.jpeg; *.jpg; *.gif||";
    else if (formats.png)
        format = L"%s (*.jpeg;*.jpg;*.png)|*.jpeg; *.jpg; *.png||";
    return FillIn(format, {description});
}

IntervalEdit CorrectIntervalText(const std::wstring& text, int selectionStart) {
    IntervalEdit edit{text, 0, false};
    if (edit.text.size() > 2) {
        edit.text.resize(2);
        edit.changed = true;
    }
    if (edit.text.empty()) {
        edit.text = L"10";
        edit.changed = true;
    } else if (edit.text.size() == 1) {
        edit.text += L"0";
        edit.changed = true;
    } else {
        const int value = ParseDecimal(edit.text);
        if (value < kMinInterval || value > kMaxInterval) {
            edit.text = value < kMinInterval ? L"10" : L"60";
            edit.changed = true;
        }
    }
    edit.caret = selectionStart < 2 ? 1 : 0;
    return edit;
}

} // namespace photo

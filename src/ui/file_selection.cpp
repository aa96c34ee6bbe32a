#include "ui/file_selection.h"

namespace additional {

std::wstring JoinFolderAndName(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += name;
    return path;
}

std::vector<std::wstring> PathsFromResultBuffer(std::wstring_view buffer) {
    std::vector<std::wstring> entries;
    size_t start = 0;
    while (start < buffer.size() && buffer[start] != L'\0') {
        size_t end = buffer.find(L'\0', start);
        if (end == std::wstring_view::npos)
            end = buffer.size();
        entries.emplace_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    if (entries.size() <= 1)
        return entries;
    std::vector<std::wstring> paths;
    paths.reserve(entries.size() - 1);
    for (size_t i = 1; i < entries.size(); ++i)
        paths.push_back(JoinFolderAndName(entries[0], entries[i]));
    return paths;
}

std::wstring NameListFromField(std::wstring_view field) {
    std::wstring text;
    text.reserve(field.size() + 1);
    for (size_t i = 0; i < field.size(); ++i) {
        if (field.substr(i, 3) == L"\" \"") {
            text += L'"';
            i += 2;
        } else {
            text += field[i];
        }
    }
    // Wine's dialog ends the field with a blank after the last quote.
    while (!text.empty() && text.back() == L' ')
        text.pop_back();
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = text.substr(1, text.size() - 2);
    std::wstring list;
    list.reserve(text.size() + 2);
    for (wchar_t c : text)
        list += c == L'"' ? L'\0' : c;
    if (!list.empty())
        list += L'\0';
    list += L'\0';
    return list;
}

} // namespace additional

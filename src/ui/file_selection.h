// The two text forms in which an open-file dialog reports a multiple selection, turned into lists of names.
// Plain logic without <windows.h>, so it can be checked and fuzzed natively.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace additional {

// The result buffer of the platform dialog: either one full path, or the folder followed by the names, every
// entry ended by a null and the whole list by one more null. Answers full paths in the buffer's order.
std::vector<std::wstring> PathsFromResultBuffer(std::wstring_view buffer);

// The file-name field's text of a multiple selection ("a.txt" "b.txt"): every quote-blank-quote becomes one
// quote, trailing blanks and the outer quotes go, and the remaining quotes separate the names. A text without
// quotes is one name.
// Answers the names followed by one null each and a final null, the form the dialog walks.
std::wstring NameListFromField(std::wstring_view field);

// The folder, a separating backslash unless the folder already ends in one, and the name.
std::wstring JoinFolderAndName(std::wstring_view folder, std::wstring_view name);

} // namespace additional

// Small wide-string helpers shared by every layer.
#pragma once
#include <string>
#include <string_view>

namespace win32 {

std::wstring ToUpper(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
// printf-style formatting of one "%s" (or more) with wide arguments.
std::wstring FormatString(const wchar_t* format, ...);
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

} // namespace win32

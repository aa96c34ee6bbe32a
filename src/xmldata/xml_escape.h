// Entity escaping for text that is put into XML by hand rather than through the DOM. Free of <windows.h> so it
// can be built and fuzzed natively.
#pragma once
#include <string>

namespace xmldata {

// "&" first, then '"', "'", "<" and ">", so the entities made by the later steps are not escaped again.
std::wstring XmlEscape(const std::wstring& text);

// The reverse order, "&amp;" last, so "&amp;lt;" comes back as "&lt;" and not as "<".
std::wstring XmlUnescape(const std::wstring& text);

} // namespace xmldata

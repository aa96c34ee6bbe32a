// Entity escaping for text that is put into XML by hand rather than through the DOM. Free of <windows.h> so it
// can be built and fuzzed natively.
#pragma once
#include <string>
#include <string_view>

namespace xmldata {

// "&" first, then '"', "'", "<" and ">", so the entities made by the later steps are not escaped again.
std::wstring XmlEscape(const std::wstring& text);

// The reverse order, "&amp;" last, so "&amp;lt;" comes back as "&lt;" and not as "<".
std::wstring XmlUnescape(const std::wstring& text);

// Appends `text` in UTF-8 as the content of an element or a double-quoted attribute value: "&", "<", ">" and '"'
// as entities, CR, LF and TAB as character references, so that a parser's line-end and attribute-value
// normalisation give back exactly `text`. False when `text` holds a character that XML 1.0 cannot hold (a control
// character, U+FFFE, U+FFFF or an unpaired surrogate); `out` is then left as it was.
bool AppendEscapedUtf8(std::string& out, std::wstring_view text);

} // namespace xmldata

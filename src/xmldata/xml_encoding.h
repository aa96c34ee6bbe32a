// What the XML layer writes is what the document declares: the DOM's output (taken without its declaration, so
// every DOM gives UTF-8) is put back behind the document's own declaration and encoded as that declaration
// says. A text that the declared encoding cannot hold is written as UTF-8 under a declaration that says so.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace xmldata {

// The `encoding` pseudo-attribute of a declaration's data (`version="1.0" encoding="UTF-16"`); nullopt without one.
std::optional<std::wstring> DeclaredEncoding(std::wstring_view declarationData);
// The declaration's data with its encoding set to `encoding` (added after the version when missing).
std::wstring WithEncoding(std::wstring_view declarationData, std::wstring_view encoding);
// The Windows code page of an encoding name (case-insensitive); 0 when the name is not known.
unsigned CodePageOfEncoding(std::wstring_view name);

// The bytes of a document that declares a code-page encoding (anything but UTF-8 and UTF-16, such as Shift_JIS or
// ISO-8859-1), turned into UTF-16 with a byte-order mark under a declaration that says UTF-16, so the parser needs
// no tables of its own (Wine's has none for most of them). `declared` receives the declared name, which a save
// puts back. Nullopt when the bytes need no conversion or do not convert.
std::optional<std::string> Utf16ForParser(std::string_view bytes, std::wstring& declared);

// Text as the DOM wrote it: UTF-16 after a little-endian byte-order mark, else UTF-8 (a UTF-8 mark is skipped).
// A leading XML declaration that the DOM added is dropped with the line break after it.
std::wstring DecodeSerialized(std::string_view bytes);

// The file's bytes: the declaration (when the document has one, as `<?xml data?>` and CR LF) and the body,
// encoded as the declaration says (UTF-16 with a byte-order mark; UTF-8 when there is no declaration).
std::string EncodeDocument(std::optional<std::wstring> declarationData, std::wstring_view body);

} // namespace xmldata

#include "xmldata/xml_encoding.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace xmldata {
namespace {

constexpr unsigned kUtf16Le = 1200, kUtf16Be = 1201, kUtf8 = 65001;

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return wchar_t(std::towlower(c)); });
    return lower;
}

struct Found {
    size_t valueBegin;
    size_t valueEnd;
};

// Where the value of the pseudo-attribute `name` lies in the declaration's data.
std::optional<Found> FindPseudoAttribute(std::wstring_view data, std::wstring_view name) {
    for (size_t at = data.find(name); at != std::wstring_view::npos; at = data.find(name, at + 1)) {
        if (at > 0 && !std::iswspace(data[at - 1]))
            continue;
        size_t i = at + name.size();
        while (i < data.size() && std::iswspace(data[i]))
            ++i;
        if (i >= data.size() || data[i] != L'=')
            continue;
        ++i;
        while (i < data.size() && std::iswspace(data[i]))
            ++i;
        if (i >= data.size() || (data[i] != L'"' && data[i] != L'\''))
            continue;
        const size_t close = data.find(data[i], i + 1);
        if (close == std::wstring_view::npos)
            return std::nullopt;
        return Found{i + 1, close};
    }
    return std::nullopt;
}

std::string Utf16Bytes(std::wstring_view text, bool bigEndian) {
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        const char low = char(c & 0xFF), high = char((c >> 8) & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Nullopt when some character has no place in the code page.
std::optional<std::string> CodePageBytes(std::wstring_view text, unsigned codePage) {
    if (text.empty())
        return std::string();
    const bool utf8 = codePage == kUtf8;
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()),
                                           nullptr, 0, nullptr, utf8 ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(size_t(size), '\0');
    ::WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), bytes.data(), size,
                          nullptr, nullptr);
    return bytes;
}

} // namespace

std::optional<std::wstring> DeclaredEncoding(std::wstring_view declarationData) {
    const auto found = FindPseudoAttribute(declarationData, L"encoding");
    if (!found)
        return std::nullopt;
    return std::wstring(declarationData.substr(found->valueBegin, found->valueEnd - found->valueBegin));
}

std::wstring WithEncoding(std::wstring_view declarationData, std::wstring_view encoding) {
    std::wstring data(declarationData);
    if (const auto found = FindPseudoAttribute(data, L"encoding"))
        return data.replace(found->valueBegin, found->valueEnd - found->valueBegin, encoding);
    const auto version = FindPseudoAttribute(data, L"version");
    const size_t insertAt = version ? version->valueEnd + 1 : 0;
    const std::wstring attribute = L" encoding=\"" + std::wstring(encoding) + L"\"";
    return data.insert(insertAt, version ? attribute : attribute.substr(1) + L" ");
}

unsigned CodePageOfEncoding(std::wstring_view name) {
    const std::wstring lower = Lower(name);
    struct Entry {
        const wchar_t* name;
        unsigned codePage;
    };
    static const Entry kNames[] = {
        {L"utf-8", kUtf8},       {L"utf8", kUtf8},         {L"utf-16", kUtf16Le},   {L"utf-16le", kUtf16Le},
        {L"ucs-2", kUtf16Le},    {L"unicode", kUtf16Le},   {L"utf-16be", kUtf16Be}, {L"unicodefffe", kUtf16Be},
        {L"us-ascii", 20127},    {L"ascii", 20127},        {L"shift_jis", 932},     {L"shift-jis", 932},
        {L"sjis", 932},          {L"x-sjis", 932},         {L"windows-31j", 932},   {L"euc-jp", 20932},
        {L"iso-2022-jp", 50220}, {L"gb2312", 936},         {L"gbk", 936},           {L"big5", 950},
        {L"euc-kr", 949},        {L"ks_c_5601-1987", 949}, {L"koi8-r", 20866},      {L"koi8-u", 21866},
        {L"latin1", 28591},      {L"iso_8859-1", 28591},
    };
    for (const Entry& entry : kNames)
        if (lower == entry.name)
            return entry.codePage;
    auto numberAfter = [&lower](std::wstring_view prefix) -> unsigned {
        if (!lower.starts_with(prefix) || lower.size() == prefix.size() || lower.size() > prefix.size() + 2)
            return 0;
        unsigned number = 0;
        for (wchar_t c : std::wstring_view(lower).substr(prefix.size())) {
            if (c < L'0' || c > L'9')
                return 0;
            number = number * 10 + unsigned(c - L'0');
        }
        return number;
    };
    if (const unsigned part = numberAfter(L"iso-8859-"); part >= 1 && part <= 15)
        return 28590 + part;
    for (std::wstring_view prefix : {std::wstring_view(L"windows-125"), std::wstring_view(L"cp125")})
        if (lower.size() == prefix.size() + 1 && lower.starts_with(prefix) && lower.back() >= L'0' &&
            lower.back() <= L'8')
            return 1250 + unsigned(lower.back() - L'0');
    return 0;
}

std::optional<std::string> Utf16ForParser(std::string_view bytes, std::wstring& declared) {
    // The declaration of a code-page document is plain ASCII at the very start.
    constexpr size_t kLongestDeclaration = 1024;
    if (!bytes.starts_with("<?xml"))
        return std::nullopt;
    const size_t end = bytes.find("?>");
    if (end == std::string_view::npos || end > kLongestDeclaration)
        return std::nullopt;
    std::wstring data;
    for (char c : bytes.substr(5, end - 5))
        data += wchar_t(uint8_t(c));
    const std::optional<std::wstring> encoding = DeclaredEncoding(data);
    const unsigned codePage = encoding ? CodePageOfEncoding(*encoding) : 0;
    if (codePage == 0 || codePage == kUtf8 || codePage == kUtf16Le || codePage == kUtf16Be)
        return std::nullopt;
    const std::string_view body = bytes.substr(end + 2);
    std::wstring text;
    if (!body.empty()) {
        // Bytes the code page does not define are not guessed at: the parser then sees the file as it is.
        DWORD flags = MB_ERR_INVALID_CHARS;
        int size = ::MultiByteToWideChar(codePage, flags, body.data(), int(body.size()), nullptr, 0);
        if (size <= 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
            flags = 0;
            size = ::MultiByteToWideChar(codePage, flags, body.data(), int(body.size()), nullptr, 0);
        }
        if (size <= 0)
            return std::nullopt;
        text.resize(size_t(size));
        ::MultiByteToWideChar(codePage, flags, body.data(), int(body.size()), text.data(), size);
    }
    declared = *encoding;
    return Utf16Bytes(L"<?xml" + WithEncoding(data, L"UTF-16") + L"?>" + text, false);
}

std::wstring DecodeSerialized(std::string_view bytes) {
    std::wstring text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        bytes.remove_prefix(2);
        text.resize(bytes.size() / 2);
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = wchar_t(unsigned(uint8_t(bytes[2 * i])) | (unsigned(uint8_t(bytes[2 * i + 1])) << 8));
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        if (!bytes.empty()) {
            const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0);
            text.resize(size_t(size > 0 ? size : 0));
            ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), text.data(), size);
        }
    }
    if (text.starts_with(L"<?xml") && text.size() > 5 && std::iswspace(text[5])) {
        const size_t end = text.find(L"?>");
        size_t next = end == std::wstring::npos ? 0 : end + 2;
        while (next < text.size() && (text[next] == L'\r' || text[next] == L'\n'))
            ++next;
        text.erase(0, next);
    }
    return text;
}

std::string EncodeDocument(std::optional<std::wstring> declarationData, std::wstring_view body) {
    if (!declarationData) {
        const auto bytes = CodePageBytes(body, kUtf8);
        return bytes.value_or(std::string());
    }
    const std::optional<std::wstring> declared = DeclaredEncoding(*declarationData);
    unsigned codePage = declared ? CodePageOfEncoding(*declared) : kUtf8;
    auto compose = [&](const std::wstring& data) { return L"<?xml " + data + L"?>\r\n" + std::wstring(body); };
    if (codePage == kUtf16Le || codePage == kUtf16Be)
        return Utf16Bytes(compose(*declarationData), codePage == kUtf16Be);
    if (codePage != 0 && codePage != kUtf8)
        if (auto bytes = CodePageBytes(compose(*declarationData), codePage))
            return *bytes;
    // No declared encoding, one we cannot write, or text it cannot hold: UTF-8, and the declaration says so.
    const std::wstring data =
        declared && codePage != kUtf8 ? WithEncoding(*declarationData, L"UTF-8") : *declarationData;
    return CodePageBytes(compose(data), kUtf8).value_or(std::string());
}

} // namespace xmldata

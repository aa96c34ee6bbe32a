#include "xmldata/xml_escape.h"

#include <array>
#include <string_view>
#include <utility>

namespace xmldata {
namespace {

struct Entity {
    std::wstring_view plain;
    std::wstring_view escaped;
};

// Escaping walks this table forwards, unescaping backwards; the order is part of the behaviour.
constexpr std::array<Entity, 5> kEntities = {{
    {L"&", L"&amp;"},
    {L"\"", L"&quot;"},
    {L"'", L"&apos;"},
    {L"<", L"&lt;"},
    {L">", L"&gt;"},
}};

// One whole pass per entity (not a single left-to-right scan), as each step sees the output of the one before.
std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to) {
    std::wstring::size_type at = 0;
    while ((at = text.find(from, at)) != std::wstring::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

} // namespace

std::wstring XmlEscape(const std::wstring& text) {
    std::wstring result = text;
    for (auto it = kEntities.begin(); it != kEntities.end(); ++it)
        result = ReplaceAll(std::move(result), it->plain, it->escaped);
    return result;
}

std::wstring XmlUnescape(const std::wstring& text) {
    std::wstring result = text;
    for (auto it = kEntities.rbegin(); it != kEntities.rend(); ++it)
        result = ReplaceAll(std::move(result), it->escaped, it->plain);
    return result;
}

namespace {

char* PutUtf8(char* out, char32_t c) {
    if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
    }
    *out++ = char(0x80 | (c & 0x3F));
    return out;
}

char* Put(char* out, std::string_view text) {
    for (char c : text)
        *out++ = c;
    return out;
}

bool IsSurrogate(char32_t c, char32_t first) {
    return c >= first && c <= first + 0x3FF;
}

} // namespace

bool AppendEscapedUtf8(std::string& out, std::wstring_view text) {
    // One pass through a pointer into room for the longest form (six bytes per unit, "&quot;"), then trimmed: a
    // photo list is mostly long plain paths, and appending them byte by byte costs several times as much.
    const size_t start = out.size();
    out.resize(start + text.size() * 6);
    char* put = out.data() + start;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = char32_t(text[i]);
        if (c >= 0x20 && c < 0x80 && c != U'&' && c != U'<' && c != U'>' && c != U'"') {
            *put++ = char(c);
            continue;
        }
        switch (c) {
        case U'&':
            put = Put(put, "&amp;");
            continue;
        case U'<':
            put = Put(put, "&lt;");
            continue;
        case U'>':
            put = Put(put, "&gt;");
            continue;
        case U'"':
            put = Put(put, "&quot;");
            continue;
        case U'\t':
            put = Put(put, "&#9;");
            continue;
        case U'\n':
            put = Put(put, "&#10;");
            continue;
        case U'\r':
            put = Put(put, "&#13;");
            continue;
        default:
            break;
        }
        if (IsSurrogate(c, 0xD800) && i + 1 < text.size() && IsSurrogate(char32_t(text[i + 1]), 0xDC00)) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
        } else if (c < 0x20 || IsSurrogate(c, 0xD800) || IsSurrogate(c, 0xDC00) || c == 0xFFFE || c == 0xFFFF ||
                   c > 0x10FFFF) {
            out.resize(start);
            return false;
        }
        put = PutUtf8(put, c);
    }
    out.resize(size_t(put - out.data()));
    return true;
}

} // namespace xmldata

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

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool IsSurrogate(char32_t c, char32_t first) {
    return c >= first && c <= first + 0x3FF;
}

} // namespace

bool AppendEscapedUtf8(std::string& out, std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = char32_t(text[i]);
        switch (c) {
        case U'&':
            out += "&amp;";
            continue;
        case U'<':
            out += "&lt;";
            continue;
        case U'>':
            out += "&gt;";
            continue;
        case U'"':
            out += "&quot;";
            continue;
        case U'\t':
            out += "&#9;";
            continue;
        case U'\n':
            out += "&#10;";
            continue;
        case U'\r':
            out += "&#13;";
            continue;
        default:
            break;
        }
        if (IsSurrogate(c, 0xD800)) {
            if (i + 1 == text.size() || !IsSurrogate(char32_t(text[i + 1]), 0xDC00))
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
        } else if (c < 0x20 || IsSurrogate(c, 0xDC00) || c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF) {
            return false;
        }
        AppendUtf8(out, c);
    }
    return true;
}

} // namespace xmldata

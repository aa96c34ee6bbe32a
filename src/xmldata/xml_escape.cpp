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

} // namespace xmldata

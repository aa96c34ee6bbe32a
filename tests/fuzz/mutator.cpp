#include "mutator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fuzz {
namespace {

// Counts and lengths at and around the limits the readers check, and the classic overflow values.
constexpr uint32_t kInterestingNumbers[] = {
    0,   1,   2,   9,   10,   49,   50,    51,    60,         61,         64,         65,        100,
    101, 260, 261, 999, 1000, 1001, 10000, 10001, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};

const char* const kInterestingTexts[] = {"",
                                         "-1",
                                         "0",
                                         "9",
                                         "10",
                                         "60",
                                         "61",
                                         "2147483647",
                                         "2147483648",
                                         "-2147483649",
                                         "99999999999999999999",
                                         "true",
                                         "TRUE",
                                         "false",
                                         "gif,png",
                                         "PNG,,GIF,",
                                         "http://127.0.0.1/x",
                                         "..\\..\\..\\Windows",
                                         "C:/x/y.jpg",
                                         "\\\\?\\C:\\",
                                         "&#xD800;",
                                         "&#xDFFF;&#xD800;",
                                         "&#0;",
                                         "&#x10FFFF;",
                                         "&amp;&lt;&gt;",
                                         "]]>",
                                         "%s%n%x",
                                         "\xED\xA0\x80",
                                         "\xEF\xBF\xBE",
                                         "\xC0\xAF",
                                         "\xFF\xFE",
                                         "<![CDATA[x]]>",
                                         "<!-- c -->",
                                         "<?pi x?>",
                                         "&lol9;",
                                         "&ext;"};

struct Span {
    size_t begin, end; // [begin, end) of a whole element, tags included
    size_t contentBegin, contentEnd;
    std::string name;
};

// Elements found by a forgiving scan: start and end tags matched by a stack; comments, declarations and
// processing instructions are skipped. Enough to find the pieces to move, not a parser.
std::vector<Span> FindElements(const std::string& text) {
    std::vector<Span> spans;
    std::vector<Span> open;
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos) {
        const size_t close = text.find('>', i);
        if (close == std::string::npos)
            break;
        if (i + 1 < text.size() && (text[i + 1] == '!' || text[i + 1] == '?')) {
            i = close + 1;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '/') {
            const std::string name = text.substr(i + 2, close - i - 2);
            while (!open.empty()) {
                Span span = open.back();
                open.pop_back();
                if (span.name == name) {
                    span.contentEnd = i;
                    span.end = close + 1;
                    spans.push_back(span);
                    break;
                }
            }
        } else {
            size_t nameEnd = i + 1;
            while (nameEnd < close && !std::strchr(" \t\r\n/", text[nameEnd]))
                ++nameEnd;
            Span span{i, 0, close + 1, 0, text.substr(i + 1, nameEnd - i - 1)};
            if (text[close - 1] == '/') {
                span.end = close + 1;
                span.contentEnd = close + 1;
                spans.push_back(span);
            } else {
                open.push_back(span);
            }
        }
        i = close + 1;
    }
    return spans;
}

std::string ToUtf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

} // namespace

std::string Mutator::Mutate(const std::string& input, const std::string& other, bool xml) {
    std::string data = MutateOnce(input, other, xml);
    if (data.size() <= sizeLimit_ || Below(kOversizeShare) == 0)
        return data;
    // A few more tries within the limit, then the last one cut to it.
    for (int attempt = 0; attempt < 3 && data.size() > sizeLimit_; ++attempt)
        data = MutateOnce(input, other, xml);
    if (data.size() > sizeLimit_)
        data.resize(sizeLimit_);
    return data;
}

std::string Mutator::MutateOnce(const std::string& input, const std::string& other, bool xml) {
    std::string data = input;
    const uint32_t count = 1 + Below(4);
    for (uint32_t i = 0; i < count; ++i) {
        if (xml && Below(4) != 0)
            MutateXml(data, other);
        else
            MutateBytes(data, other);
    }
    // Bounded, so a run of duplications cannot grow inputs without end.
    if (data.size() > 1 << 20)
        data.resize(1 << 20);
    return data;
}

void Mutator::MutateBytes(std::string& data, const std::string& other) {
    const size_t size = data.size();
    switch (Below(9)) {
    case 0:
        if (size)
            data[Below(uint32_t(size))] ^= char(1 << Below(8));
        break;
    case 1:
        if (size)
            data[Below(uint32_t(size))] = char(Below(256));
        break;
    case 2: { // an interesting 32-bit number over four bytes, often where a count or length stands
        const uint32_t value = kInterestingNumbers[Below(std::size(kInterestingNumbers))];
        size_t at = size >= 4 ? Below(uint32_t(size - 3)) : 0;
        if (Below(2))
            at &= ~size_t(3);
        if (data.size() < at + 4)
            data.resize(at + 4);
        for (int b = 0; b < 4; ++b)
            data[at + b] = char(value >> (8 * b));
        break;
    }
    case 3: // cut
        data.resize(Below(uint32_t(size + 1)));
        break;
    case 4: // delete a range
        if (size) {
            const size_t at = Below(uint32_t(size));
            data.erase(at, 1 + Below(uint32_t(std::min<size_t>(size - at, 64))));
        }
        break;
    case 5: { // duplicate a range
        if (size) {
            const size_t at = Below(uint32_t(size));
            const std::string piece = data.substr(at, 1 + Below(uint32_t(std::min<size_t>(size - at, 256))));
            data.insert(Below(uint32_t(size + 1)), piece);
        }
        break;
    }
    case 6: // splice another input's tail
        if (!other.empty())
            data = data.substr(0, Below(uint32_t(size + 1))) + other.substr(Below(uint32_t(other.size())));
        break;
    case 7: // an unpaired UTF-16 surrogate
        data.insert(Below(uint32_t(size + 1)), Below(2) ? std::string("\x00\xD8", 2) : std::string("\x00\xDC", 2));
        break;
    default: // random bytes
        for (uint32_t n = 1 + Below(8); n > 0; --n)
            data.insert(data.begin() + Below(uint32_t(data.size() + 1)), char(Below(256)));
        break;
    }
}

void Mutator::MutateXml(std::string& data, const std::string& other) {
    std::vector<Span> spans = FindElements(data);
    if (spans.empty()) {
        MutateBytes(data, other);
        return;
    }
    const Span& a = spans[Below(uint32_t(spans.size()))];
    const Span& b = spans[Below(uint32_t(spans.size()))];
    const std::string text = data.substr(a.begin, a.end - a.begin);
    switch (Below(12)) {
    case 0: // delete an element
        data.erase(a.begin, a.end - a.begin);
        break;
    case 1: // duplicate it, sometimes many times
        for (uint32_t n = Below(3) ? 1 : 1 + Below(100); n > 0; --n)
            data.insert(a.end, text);
        break;
    case 2: // move a copy into another element
        data.insert(b.contentBegin, text);
        break;
    case 3: // swap two elements that do not overlap
        if (a.end <= b.begin) {
            const std::string second = data.substr(b.begin, b.end - b.begin);
            data.replace(b.begin, b.end - b.begin, text);
            data.replace(a.begin, a.end - a.begin, second);
        }
        break;
    case 4: { // deep nesting
        const uint32_t depth = uint32_t(std::pow(10, 1 + Below(4)));
        std::string open, close;
        for (uint32_t n = 0; n < depth; ++n) {
            open += "<" + a.name + ">";
            close += "</" + a.name + ">";
        }
        data.replace(a.begin, a.end - a.begin, open + text + close);
        break;
    }
    case 5: { // billion laughs or an external entity, used in a text
        const Span* root = &a;
        for (const Span& span : spans)
            if (span.begin < root->begin)
                root = &span;
        std::string doctype = "<!DOCTYPE " + root->name + " [<!ENTITY lol0 \"lol\">";
        for (int n = 1; n <= 9; ++n) {
            doctype += "<!ENTITY lol" + std::to_string(n) + " \"";
            for (int k = 0; k < 10; ++k)
                doctype += "&lol" + std::to_string(n - 1) + ";";
            doctype += "\">";
        }
        doctype += "<!ENTITY ext SYSTEM \"file:///C:/windows/win.ini\">]>";
        // The first element starts before any other, so the text replaced below cannot move it.
        const size_t rootBegin = root->begin;
        data.replace(a.contentBegin, a.contentEnd - a.contentBegin, Below(2) ? "&lol9;" : "&ext;");
        data.insert(rootBegin, doctype);
        break;
    }
    case 6: { // an attribute value or a new attribute
        const std::string tag = data.substr(a.begin, a.contentBegin - a.begin);
        const size_t quote = tag.find('"');
        const std::string value = kInterestingTexts[Below(std::size(kInterestingTexts))];
        if (quote != std::string::npos && Below(2)) {
            const size_t end = tag.find('"', quote + 1);
            if (end != std::string::npos)
                data.replace(a.begin + quote + 1, end - quote - 1, value);
        } else {
            const std::string names[] = {"path", "src",  "file_format", "type",   "xmlUrl", "title",
                                         "text", "name", "version",     "layout", "x"};
            data.insert(a.begin + 1 + a.name.size(), " " + names[Below(std::size(names))] + "=\"" + value + "\"");
        }
        break;
    }
    case 7: // a text
        if (a.contentEnd > a.contentBegin || Below(2)) {
            std::string value = kInterestingTexts[Below(std::size(kInterestingTexts))];
            if (Below(8) == 0)
                value = std::string(100000 + Below(100000), 'x');
            data.replace(a.contentBegin, a.contentEnd - a.contentBegin, value);
        }
        break;
    case 8: { // another element's name
        const std::string& name = b.name;
        if (a.contentEnd > a.contentBegin && a.end > a.contentEnd) {
            data.replace(a.contentEnd, a.end - a.contentEnd, "</" + name + ">");
            data.replace(a.begin + 1, a.name.size(), name);
        }
        break;
    }
    case 9: { // a declared encoding that may not match the bytes
        const char* const encodings[] = {"UTF-8",        "UTF-16",  "Shift_JIS", "ISO-8859-1",
                                         "windows-1252", "x-bogus", "UTF-32"};
        const std::string declaration =
            std::string("<?xml version=\"1.0\" encoding=\"") + encodings[Below(std::size(encodings))] + "\"?>";
        if (data.compare(0, 5, "<?xml") == 0)
            data.replace(0, data.find("?>") + 2, declaration);
        else
            data.insert(0, declaration);
        break;
    }
    case 10: // the whole text as UTF-16 with a byte order mark, or a UTF-8 one
        data = Below(2) ? ToUtf16(data) : "\xEF\xBB\xBF" + data;
        break;
    default: // an element of another input
        if (!other.empty()) {
            std::vector<Span> others = FindElements(other);
            if (!others.empty()) {
                const Span& o = others[Below(uint32_t(others.size()))];
                data.insert(b.contentBegin, other.substr(o.begin, o.end - o.begin));
            }
        }
        break;
    }
}

} // namespace fuzz

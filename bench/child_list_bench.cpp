// Child-list benchmark: the data-file readers' walk over a list of 20,000 entries against twenty walks over a
// list of 1,000, so a reader that is linear in the list's length gives a ratio of 1 and one that walks the list
// from its start for every entry gives about 20. Two readers: the child nodes of an element and a query's
// matches. Each round reads both sizes; medians of the per-round ratios.
//
//     child_list_bench.exe [rounds]
#include "stats.h"
#include "win32/com.h"
#include "xmldata/xml_document.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// A data file of `entries` items in the additional-module layout, one per line.
xmldata::XmlDocument ListOf(int entries) {
    std::wstring xml = L"<conf_data>\r\n";
    for (int i = 0; i < entries; ++i)
        xml += L"\t<item name=\"k" + std::to_wstring(i) + L"\"><value>" + std::to_wstring(i) + L"</value></item>\r\n";
    xml += L"</conf_data>";
    xmldata::XmlDocument document;
    win32::Bstr text(xml);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    xmldata::Check(document.dom()->loadXML(text.get(), &loaded));
    if (loaded != VARIANT_TRUE)
        throw xmldata::XmlError(E_FAIL);
    return document;
}

double Milliseconds(const std::function<size_t()>& read, int times, size_t expected) {
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    for (int i = 0; i < times; ++i)
        if (read() != expected)
            throw xmldata::XmlError(E_UNEXPECTED);
    ::QueryPerformanceCounter(&end);
    return double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(5, _wtoi(argv[1])) : 15;
    constexpr int kSmall = 1000, kLarge = 20000, kTimes = kLarge / kSmall;
    win32::ComInit com;
    try {
        const xmldata::XmlDocument small = ListOf(kSmall), large = ListOf(kLarge);
        struct Reader {
            const char* name;
            std::function<size_t(const xmldata::XmlDocument&)> read;
            size_t (*expected)(int entries);
        };
        const Reader readers[] = {
            {"child nodes",
             [](const xmldata::XmlDocument& d) { return size_t(std::ranges::distance(xmldata::ChildNodes(d.Root()))); },
             [](int entries) { return size_t(entries); }},
            {"query matches", [](const xmldata::XmlDocument& d) { return d.SelectNodes(L"./item").size(); },
             [](int entries) { return size_t(entries); }},
        };
        for (const Reader& reader : readers) {
            auto readSmall = [&] { return reader.read(small); };
            auto readLarge = [&] { return reader.read(large); };
            // One read of each warms the caches.
            Milliseconds(readSmall, 1, reader.expected(kSmall));
            Milliseconds(readLarge, 1, reader.expected(kLarge));
            std::vector<double> smallTimes, largeTimes, ratios;
            for (int round = 0; round < rounds; ++round) {
                smallTimes.push_back(Milliseconds(readSmall, kTimes, reader.expected(kSmall)));
                largeTimes.push_back(Milliseconds(readLarge, 1, reader.expected(kLarge)));
                ratios.push_back(largeTimes.back() / smallTimes.back());
            }
            std::printf("%s: %d entries %.1f ms, %d x %d entries %.1f ms (medians of %d)\n", reader.name, kLarge,
                        bench::Median(largeTimes), kTimes, kSmall, bench::Median(smallTimes), rounds);
            bench::PrintRatio((std::string("  ratio ") + reader.name + ":").c_str(), ratios);
        }
    } catch (const xmldata::XmlError& error) {
        std::fprintf(stderr, "the DOM failed: 0x%08lx\n", static_cast<unsigned long>(error.result));
        return 1;
    }
    return 0;
}

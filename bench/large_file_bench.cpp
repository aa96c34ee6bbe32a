// Large data file benchmark: the settings window opening with a 50 MB data.xml in the per-user Modules folder,
// next to MSXML's own load of that same file in this process (by file name, as the DOM loads it itself, and from
// the file's bytes in memory, the parse alone). Prints the medians and the ratios.
//
//     large_file_bench.exe <folder with SkylumeSetting.exe> <per-user Modules folder> [runs]
#include "ready_window.h"

#include <windows.h>
#include <msxml2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The MinGW headers give this interface no __uuidof.
__CRT_UUID_DECL(IXMLDOMDocument2, 0x2933BF95, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)

namespace {

constexpr CLSID kDomDocumentClassId = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};

// The General and Display settings, then 50 MB of elements no page knows (as a module might leave behind).
std::string LargeDataFile() {
    std::string xml = "<conf_data><screensaving>false</screensaving><modules><sub>Visualizer</sub></modules>"
                      "<background position=\"center\">C:\\pictures\\sky.jpg</background><locale>usa</locale>";
    xml.reserve(51 << 20);
    for (int i = 0; xml.size() < (50 << 20); ++i)
        xml += "\r\n<item name=\"entry" + std::to_string(i) + "\"><value>value of entry " + std::to_string(i) +
               " \xC3\xA9t\xC3\xA9</value></item>";
    return xml + "\r\n</conf_data>\r\n";
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Milliseconds for a new DOM document (validating, synchronous) to load `source`; negative when it fails.
double TimeDomLoad(VARIANT source) {
    IXMLDOMDocument2* doc = nullptr;
    if (FAILED(::CoCreateInstance(kDomDocumentClassId, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IXMLDOMDocument2),
                                  reinterpret_cast<void**>(&doc))))
        return -1;
    doc->put_validateOnParse(VARIANT_TRUE);
    doc->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const double start = Now();
    doc->load(source, &loaded);
    const double elapsed = Now() - start;
    doc->Release();
    return loaded == VARIANT_TRUE ? elapsed : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: large_file_bench <program folder> <per-user Modules folder> [runs]\n");
        return 2;
    }
    const std::wstring program = std::wstring(argv[1]) + L"\\SkylumeSetting.exe";
    const std::wstring dataFile = std::wstring(argv[2]) + L"\\data.xml";
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 3;
    ::CreateDirectoryW(argv[2], nullptr);
    const std::string bytes = LargeDataFile();
    if (FAILED(::CoInitialize(nullptr)))
        return 1;

    std::vector<double> byName, fromMemory, window;
    for (int i = 0; i < runs; ++i) {
        // The window rewrites the file (it drops modules without a page); every run starts from the same file.
        if (!WriteWhole(dataFile, bytes))
            return 1;
        VARIANT name = {};
        name.vt = VT_BSTR;
        name.bstrVal = ::SysAllocString(dataFile.c_str());
        byName.push_back(TimeDomLoad(name));
        ::VariantClear(&name);

        SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
        void* data = nullptr;
        ::SafeArrayAccessData(array, &data);
        std::memcpy(data, bytes.data(), bytes.size());
        ::SafeArrayUnaccessData(array);
        VARIANT memory = {};
        memory.vt = VT_ARRAY | VT_UI1;
        memory.parray = array;
        fromMemory.push_back(TimeDomLoad(memory));
        ::VariantClear(&memory);

        window.push_back(bench::TimeUntilReady(program));
        if (byName.back() < 0 || fromMemory.back() < 0 || window.back() < 0) {
            std::fprintf(stderr, "a load or the window failed\n");
            return 1;
        }
    }
    ::CoUninitialize();
    const double w = Median(window), n = Median(byName), m = Median(fromMemory);
    std::printf("data.xml size:                      %8.1f MB\n", double(bytes.size()) / (1 << 20));
    std::printf("settings window ready:              %8.0f ms (median of %d)\n", w, runs);
    std::printf("MSXML load by file name:            %8.0f ms\n", n);
    std::printf("MSXML load of the bytes (parse):    %8.0f ms\n", m);
    std::printf("ratio window/load by name:          %8.2f\n", w / n);
    std::printf("ratio window/parse:                 %8.2f\n", w / m);
    return 0;
}

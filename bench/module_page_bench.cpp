// Additional module benchmark: how long the settings window takes to become ready with a module whose
// description has 1,000 items and whose value file holds 10,000 stray items besides, next to the same window
// without that module. Prints both medians and their ratio.
//
//     module_page_bench.exe <folder with SkylumeSetting.exe> [runs]
#include "ready_window.h"

#include <algorithm>

#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
} // namespace

namespace {

constexpr int kItems = 1000;
constexpr int kStrayItems = 10000;
constexpr wchar_t kModule[] = L"BenchModule";

std::wstring ShellFolder(int csidl, const wchar_t* below) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return std::wstring(path) + below;
}

bool Write(const std::wstring& path, const std::string& text) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    ::CloseHandle(file);
    return ok;
}

// Every kind in turn, a group every 50 items, a description on every third.
std::string Description() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<conf_window name=\"Bench\" description=\"1000 items\">\r\n";
    for (int i = 0; i < kItems; ++i) {
        if (i % 50 == 0)
            xml += (i ? "</item>" : "") + std::string("<item><group>Group ") + std::to_string(i / 50) + "</group>\r\n";
        const std::string key = "k" + std::to_string(i);
        std::string control;
        switch (i % 5) {
        case 0:
            control = "<control name=\"checkbox\"><label>Check " + key + "</label><default>0</default></control>";
            break;
        case 1:
            control = "<control name=\"editbox\"><label>Edit</label><default>text</default></control>";
            break;
        case 2:
            control = "<control name=\"combobox\"><label>Combo</label><option>a</option><option>b</option></control>";
            break;
        case 3:
            control =
                "<control name=\"slider\"><label>Slider</label><min>0</min><max>100</max><delta>5</delta></control>";
            break;
        default:
            control = "<control name=\"fileselector\"><label>File</label><filter ext=\"txt\">Text</filter></control>";
            break;
        }
        xml += "<item name=\"" + key + "\">" + control + (i % 3 ? "" : "<description>About " + key + "</description>") +
               "</item>\r\n";
    }
    return xml + "</item></conf_window>\r\n";
}

std::string Values() {
    std::string xml = "<conf_data>\r\n";
    for (int i = 0; i < kStrayItems; ++i)
        xml +=
            "\t<item name=\"stray" + std::to_string(i) + "\"><value>old " + std::to_string(i) + "</value></item>\r\n";
    for (int i = 0; i < kItems; i += 5)
        xml += "\t<item name=\"k" + std::to_string(i) + "\"><value>1</value></item>\r\n";
    return xml + "</conf_data>\r\n";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: module_page_bench <program folder> [runs]\n");
        return 2;
    }
    const std::wstring exe = std::wstring(argv[1]) + L"\\SkylumeSetting.exe";
    const int runs = argc > 2 ? _wtoi(argv[2]) : 5;
    const std::wstring common = ShellFolder(CSIDL_COMMON_APPDATA, L"\\Quillon\\Skylume\\Modules\\") + kModule;
    // Outside the Modules folder the settings program does not see the module.
    const std::wstring parked = ShellFolder(CSIDL_COMMON_APPDATA, L"\\Quillon\\Skylume\\") + kModule;
    const std::wstring user = ShellFolder(CSIDL_APPDATA, L"\\Quillon\\Skylume\\Modules\\") + kModule;
    ::SHCreateDirectoryExW(nullptr, parked.c_str(), nullptr);
    ::SHCreateDirectoryExW(nullptr, user.c_str(), nullptr);
    if (!Write(parked + L"\\preference.xml", Description()) || !Write(user + L"\\data.xml", Values())) {
        std::fprintf(stderr, "cannot write the benchmark module\n");
        return 1;
    }
    ::DeleteFileW((user + L"\\preference.xml").c_str());

    std::vector<double> with, without;
    // Alternate the two so that any drift of the machine affects both alike; the first pair warms caches.
    for (int i = 0; i <= runs; ++i) {
        double b = bench::TimeUntilReady(exe);
        ::MoveFileW(parked.c_str(), common.c_str());
        double m = bench::TimeUntilReady(exe);
        ::MoveFileW(common.c_str(), parked.c_str());
        if (m < 0 || b < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
        if (i > 0) {
            with.push_back(m);
            without.push_back(b);
        }
    }
    const double m = Median(with), b = Median(without);
    std::printf("window with a 1,000-item module (10,000 stray values): %8.1f ms (median of %d)\n", m, runs);
    std::printf("same window without the module:                        %8.1f ms (median of %d)\n", b, runs);
    std::printf("ratio with/without:                                    %8.2f\n", b > 0 ? m / b : 0.0);
    return 0;
}

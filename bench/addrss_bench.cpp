// ADDRSS timing: from process start of "SkylumeSetting.exe -addrss <url>" for a small feed on the local feed
// server until its outcome message is on the screen, next to the start of an empty dialog (empty_dialog.exe)
// until its window shows, in the same run. Prints both medians and their ratio.
//
//     addrss_bench.exe <folder with SkylumeSetting.exe and empty_dialog.exe> [runs]
#include <winsock2.h>

#include "feed_server.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess until the process shows a window, which is then closed; negative on failure.
double TimeUntilWindow(const std::wstring& exe, const std::wstring& arguments) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    const auto begin = std::chrono::steady_clock::now();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return -1;
    Search search{info.dwProcessId, nullptr};
    for (int i = 0; i < 60000 && !search.found; ++i) {
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            ::Sleep(1);
    }
    const auto end = std::chrono::steady_clock::now();
    if (search.found)
        ::PostMessageW(search.found, WM_COMMAND, IDOK, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return search.found ? std::chrono::duration<double, std::milli>(end - begin).count() : -1;
}

// Each run adds a new site; start every run from the shipped list so the 50-site limit is never reached.
void ForgetAddedSites() {
    wchar_t appData[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE))
        return;
    const std::wstring rss = std::wstring(appData) + L"\\Quillon\\Skylume\\Modules\\RSS";
    ::DeleteFileW((rss + L"\\Cache\\channels.opml").c_str());
    ::DeleteFileW((rss + L"\\arf.dat").c_str());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: addrss_bench <program folder> [runs]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 7;
    testenv::FeedServer server;
    if (!server.running())
        return 1;
    std::vector<double> addrss, baseline;
    // Alternated so that drift of the machine affects both alike; the first pair only warms caches.
    for (int i = 0; i <= runs; ++i) {
        ForgetAddedSites();
        const std::wstring url = server.Url(L"/small.xml?run=" + std::to_wstring(i));
        const double a = TimeUntilWindow(folder + L"\\SkylumeSetting.exe", L"-addrss \"" + url + L"\"");
        const double b = TimeUntilWindow(folder + L"\\empty_dialog.exe", L"");
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "a window did not show\n");
            return 1;
        }
        if (i > 0) {
            addrss.push_back(a);
            baseline.push_back(b);
        }
    }
    ForgetAddedSites();
    const double a = Median(addrss), b = Median(baseline);
    std::printf("ADDRSS outcome shown:   %8.1f ms (median of %d)\n", a, runs);
    std::printf("empty dialog shown:     %8.1f ms (median of %d)\n", b, runs);
    std::printf("ratio ADDRSS/empty:     %8.2f\n", b > 0 ? a / b : 0.0);
    return 0;
}

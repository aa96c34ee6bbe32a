// Additional module benchmark: how long the settings window takes to become ready with a module whose
// description has 100, 300 or 1,000 items (and whose value file holds 10,000 stray items besides), next to the
// same window without a module. Each round starts the four in a shuffled order (seed printed), pausing between
// starts; medians of the per-round ratios with 95% confidence intervals, and the time per item between the sizes
// (equal slopes mean the page grows linearly). The page makes its items' windows when it is first shown, so each
// start with a module then also times that: from selecting the module's category until the window has painted.
//
//     module_page_bench.exe <folder with SkylumeSetting.exe> [rounds] [--count]
//
// With --count each of the four is started once more and, once ready, the bench creates the event
// "SkylumeBenchReady-<pid>" and prints "count <label> items-<n> <pid>" for bench/count-requests; it then opens the
// module's page, waits until every item has its window and creates "SkylumeBenchOpened-<pid>".
#include "ready_window.h"
#include "stats.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSizes[] = {0, 100, 300, 1000};
constexpr int kStrayItems = 10000;
constexpr DWORD kPauseMs = 300;

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
std::string Description(int items) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<conf_window name=\"Bench\" description=\"" +
                      std::to_string(items) + " items\">\r\n";
    for (int i = 0; i < items; ++i) {
        if (i % 50 == 0) {
            if (i)
                xml += "</item>";
            xml += "<item><group>Group ";
            xml += std::to_string(i / 50) + "</group>\r\n";
        }
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

std::string Values(int items) {
    std::string xml = "<conf_data>\r\n";
    for (int i = 0; i < kStrayItems; ++i)
        xml +=
            "\t<item name=\"stray" + std::to_string(i) + "\"><value>old " + std::to_string(i) + "</value></item>\r\n";
    for (int i = 0; i < items; i += 5)
        xml += "\t<item name=\"k" + std::to_string(i) + "\"><value>1</value></item>\r\n";
    return xml + "</conf_data>\r\n";
}

constexpr int kCategoryList = 1001;

BOOL CALLBACK TakeSettingsWindow(HWND window, LPARAM data) {
    if (!::IsWindowVisible(window) || !::GetDlgItem(window, kCategoryList))
        return TRUE;
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
}

// The settings window of the process's main thread: the visible top-level window with the category list.
HWND SettingsWindow(DWORD threadId) {
    HWND window = nullptr;
    ::EnumThreadWindows(threadId, TakeSettingsWindow, reinterpret_cast<LPARAM>(&window));
    return window;
}

std::wstring PageTitle(HWND window) {
    wchar_t title[256] = {};
    ::GetWindowTextW(::FindWindowExW(window, nullptr, L"SkylumeConfigItemWindow", nullptr), title, 256);
    return title;
}

// Selects the categories from the last one up, as a click would, until the page titled `title` is shown; the
// milliseconds that selection took, painting included, or a negative value when no page has that title.
double TimeFirstOpening(DWORD threadId, const std::wstring& title) {
    HWND window = SettingsWindow(threadId);
    HWND list = window ? ::GetDlgItem(window, kCategoryList) : nullptr;
    const int count = list ? int(::SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
    for (int index = count - 1; index >= 0; --index) {
        LARGE_INTEGER frequency, begin, end;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&begin);
        ::SendMessageW(list, LB_SETCURSEL, index, 0);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCategoryList, LBN_SELCHANGE), LPARAM(list));
        ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::QueryPerformanceCounter(&end);
        if (PageTitle(window) == title)
            return double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart);
    }
    return -1;
}

// Waits until the page shown in the settings window holds `items` item windows (those below the view are made
// from a timer); false after two minutes.
bool WaitForItemWindows(DWORD threadId, int items) {
    HWND window = SettingsWindow(threadId);
    for (const DWORD start = ::GetTickCount(); window && ::GetTickCount() - start < 120000; ::Sleep(500)) {
        HWND page = nullptr;
        for (HWND child = ::GetWindow(window, GW_CHILD); child && !page; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::IsWindowVisible(child) && ::FindWindowExW(child, nullptr, L"SkylumeConfControl", nullptr))
                page = child;
        int found = 0;
        for (HWND item = ::FindWindowExW(page, nullptr, L"SkylumeConfControl", nullptr); page && item;
             item = ::FindWindowExW(page, item, L"SkylumeConfControl", nullptr))
            ++found;
        if (found >= items)
            return true;
    }
    return false;
}

void CreateMarker(const wchar_t* prefix, DWORD processId) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls-%04lx", prefix, static_cast<unsigned long>(processId));
    if (HANDLE marker = ::CreateEventW(nullptr, TRUE, FALSE, name))
        ::CloseHandle(marker);
}

// One module of `items` items; it is seen by the settings program only while its folder is moved from where it is
// parked into the all-users Modules folder. Each size has a module of its own, so its per-user copy of the
// description is its own too.
struct Module {
    int items = 0;
    std::wstring parked, installed;

    bool Prepare() {
        if (items == 0)
            return true;
        const std::wstring name = L"BenchModule" + std::to_wstring(items);
        installed = ShellFolder(CSIDL_COMMON_APPDATA, L"\\Quillon\\Skylume\\Modules\\") + name;
        parked = ShellFolder(CSIDL_COMMON_APPDATA, L"\\Quillon\\Skylume\\") + name;
        const std::wstring user = ShellFolder(CSIDL_APPDATA, L"\\Quillon\\Skylume\\Modules\\") + name;
        ::MoveFileW(installed.c_str(), parked.c_str()); // left installed by an interrupted run
        ::SHCreateDirectoryExW(nullptr, parked.c_str(), nullptr);
        ::SHCreateDirectoryExW(nullptr, user.c_str(), nullptr);
        ::DeleteFileW((user + L"\\preference.xml").c_str());
        return Write(parked + L"\\preference.xml", Description(items)) && Write(user + L"\\data.xml", Values(items));
    }
    // With `opening`, the first opening of the module's page is timed too (negative when it failed).
    double Start(const std::wstring& exe, DWORD pollMs = 2, const std::function<void(DWORD, DWORD)>& whenReady = {},
                 double* opening = nullptr) const {
        if (items)
            ::MoveFileW(parked.c_str(), installed.c_str());
        auto ready = [&](DWORD processId, DWORD threadId) {
            if (whenReady)
                whenReady(processId, threadId);
            if (opening)
                *opening = items ? TimeFirstOpening(threadId, L"Bench") : 0;
        };
        const double ms = bench::TimeUntilReady(exe, L"", 600000, ready, pollMs);
        if (items)
            ::MoveFileW(installed.c_str(), parked.c_str());
        ::Sleep(kPauseMs);
        return ms;
    }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: module_page_bench <program folder> [rounds] [--count]\n");
        return 2;
    }
    const std::wstring exe = std::wstring(argv[1]) + L"\\SkylumeSetting.exe";
    int rounds = 7;
    bool count = false;
    for (int i = 2; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--count")
            count = true;
        else
            rounds = std::max(3, _wtoi(argv[i]));
    }
    std::vector<Module> modules;
    for (int items : kSizes) {
        modules.push_back({items, L"", L""});
        if (!modules.back().Prepare()) {
            std::fprintf(stderr, "cannot write the benchmark module\n");
            return 1;
        }
    }

    if (count) {
        // Looked at seldom: each look is a few requests of the bench's own, and a traced server is slow.
        constexpr DWORD kPollMs = 200;
        for (const Module& module : modules) {
            bool opened = true;
            const auto mark = [&module, &opened](DWORD processId, DWORD threadId) {
                CreateMarker(L"SkylumeBenchReady", processId);
                std::printf("count module items-%d %04lx\n", module.items, static_cast<unsigned long>(processId));
                std::fflush(stdout);
                if (module.items) {
                    opened = TimeFirstOpening(threadId, L"Bench") >= 0 && WaitForItemWindows(threadId, module.items);
                    CreateMarker(L"SkylumeBenchOpened", processId);
                }
            };
            if (module.Start(exe, kPollMs) < 0 || module.Start(exe, kPollMs, mark) < 0) {
                std::fprintf(stderr, "a window did not become ready\n");
                return 1;
            }
            if (!opened) {
                std::fprintf(stderr, "the module's page did not get its %d items\n", module.items);
                return 1;
            }
        }
        return 0;
    }

    const unsigned seed = ::GetTickCount();
    std::printf("seed %u, %lu ms between starts\n", seed, static_cast<unsigned long>(kPauseMs));
    std::mt19937 order(seed);
    // One start of each warms the caches.
    for (const Module& module : modules)
        if (module.Start(exe) < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
    std::vector<std::vector<double>> times(modules.size()), openings(modules.size());
    for (int round = 0; round < rounds; ++round) {
        std::vector<size_t> sequence(modules.size());
        for (size_t k = 0; k < sequence.size(); ++k)
            sequence[k] = k;
        std::shuffle(sequence.begin(), sequence.end(), order);
        for (size_t which : sequence) {
            double opening = 0;
            const double ms = modules[which].Start(exe, 2, {}, &opening);
            if (ms < 0 || opening < 0) {
                std::fprintf(stderr, "a window did not become ready\n");
                return 1;
            }
            times[which].push_back(ms);
            openings[which].push_back(opening);
        }
        std::printf("round %2d:", round + 1);
        for (size_t k = 1; k < modules.size(); ++k)
            std::printf("  %d items %.2f", modules[k].items, times[k].back() / times[0].back());
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("same window without a module: %8.1f ms (median of %d)\n", bench::Median(times[0]), rounds);
    // Each module's medians, and its per-round ratios to the window without a module.
    auto report = [&](const std::vector<std::vector<double>>& measured, const char* what, const char* ratioLabel) {
        for (size_t k = 1; k < modules.size(); ++k) {
            std::vector<double> ratios;
            for (int round = 0; round < rounds; ++round)
                ratios.push_back(measured[k][round] / times[0][round]);
            std::printf("%s %4d items: %8.1f ms (median of %d)\n", what, modules[k].items, bench::Median(measured[k]),
                        rounds);
            bench::PrintRatio(("  ratio " + std::to_string(modules[k].items) + ratioLabel).c_str(), ratios);
        }
    };
    report(times, "window with", " items/none:");
    report(openings, "first opening of the page with", " items/window without a module:");
    // Time per item between neighbouring sizes, per round; a linear page has the same slope throughout.
    for (size_t k = 2; k < modules.size(); ++k) {
        std::vector<double> slopes;
        const int added = modules[k].items - modules[k - 1].items;
        for (int round = 0; round < rounds; ++round)
            slopes.push_back((times[k][round] - times[k - 1][round]) / added);
        std::printf("ms per item from %d to %d items: %.2f (median of %d rounds)\n", modules[k - 1].items,
                    modules[k].items, bench::Median(slopes), rounds);
    }
    return 0;
}

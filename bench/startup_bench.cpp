// Start-up benchmark: how long the settings program takes from process start until its window is fully
// initialised (every page created and loaded, a category selected, OK enabled), next to how long Wine takes to
// show the same window template empty from the same language library. Prints both medians and their ratio.
//
//     startup_bench.exe <folder with SkylumeSetting.exe and empty_dialog.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindReadyWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (owner == search->processId && std::wstring(className) == L"TesselSetting0505301612" &&
        ::IsWindowVisible(window) && ::IsWindowEnabled(::GetDlgItem(window, IDOK))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess until the window is ready; negative on failure.
double TimeOneStart(const std::wstring& exe) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + exe + L"\"";
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return -1;
    Search search{info.dwProcessId, nullptr};
    for (int i = 0; i < 30000 && !search.found; ++i) {
        ::EnumWindows(FindReadyWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            ::Sleep(1);
    }
    ::QueryPerformanceCounter(&end);
    if (search.found)
        ::PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return search.found ? double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart) : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <program folder> [runs]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const int runs = argc > 2 ? _wtoi(argv[2]) : 7;
    std::vector<double> program, baseline;
    // Alternate the two so that any drift of the machine affects both alike; the first pair warms caches.
    for (int i = 0; i <= runs; ++i) {
        double p = TimeOneStart(folder + L"\\SkylumeSetting.exe");
        double b = TimeOneStart(folder + L"\\empty_dialog.exe");
        if (p < 0 || b < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
        if (i > 0) {
            program.push_back(p);
            baseline.push_back(b);
        }
    }
    const double p = Median(program), b = Median(baseline);
    std::printf("settings window ready:  %8.1f ms (median of %d)\n", p, runs);
    std::printf("empty dialog shown:     %8.1f ms (median of %d)\n", b, runs);
    std::printf("ratio settings/empty:   %8.2f\n", b > 0 ? p / b : 0.0);
    return 0;
}

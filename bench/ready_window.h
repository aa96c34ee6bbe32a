// Shared by the benchmarks: the time from process start until the settings window is fully initialised (every
// page created and loaded, a category selected, OK enabled), and the median of a series.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

struct Search {
    DWORD processId;
    HWND found;
};

inline BOOL CALLBACK FindReadyWindow(HWND window, LPARAM lParam) {
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
inline double TimeOneStart(const std::wstring& exe) {
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

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace bench

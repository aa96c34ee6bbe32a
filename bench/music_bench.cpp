// Music benchmark: how long the settings program takes from process start until its window is ready and the
// wake-up page's album list has been dropped down, with a large music library in the media stand-ins, with
// none, and (given the stand-ins' library) with the media components not registered at all, as on a machine
// without the media software. The three are measured alternately in one run: the stand-ins are pointed at one
// fixture file or the other, or unregistered for the third start and registered again after it. Prints the
// medians and the ratios against the start without music.
//
//     music_bench.exe <program folder> <large fixture> <empty fixture> [runs [stand-ins library]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kHourList = 1048, kVolume = 1020, kAlbumList = 1018;

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

HWND AlbumList(HWND window) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, kHourList) && ::GetDlgItem(child, kVolume))
            return ::GetDlgItem(child, kAlbumList);
    return nullptr;
}

void UseFixture(const std::wstring& path) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\Music", L"Fixture", REG_SZ, path.c_str(),
                      DWORD((path.size() + 1) * sizeof(wchar_t)));
}

// Milliseconds from CreateProcess until the album list has been shown; negative on failure.
double TimeOneStart(const std::wstring& exe, LRESULT* albums) {
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
    for (int i = 0; i < 120000 && !search.found; ++i) {
        ::EnumWindows(FindReadyWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            ::Sleep(1);
    }
    LARGE_INTEGER ready;
    ::QueryPerformanceCounter(&ready);
    HWND list = search.found ? AlbumList(search.found) : nullptr;
    if (list) {
        ::SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
        *albums = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
        ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    }
    ::QueryPerformanceCounter(&end);
    std::fprintf(stderr, "ready %.1f ms, album list %.1f ms\n",
                 double(ready.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart),
                 double(end.QuadPart - ready.QuadPart) * 1000.0 / double(frequency.QuadPart));
    if (search.found)
        ::PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return list ? double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart) : -1;
}

// Calls DllRegisterServer or DllUnregisterServer of the stand-ins' library.
bool CallServerExport(const std::wstring& library, const char* name) {
    HMODULE module = ::LoadLibraryW(library.c_str());
    if (!module)
        return false;
    using Export = HRESULT(STDAPICALLTYPE*)();
    auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    const bool ok = function && SUCCEEDED(function());
    ::FreeLibrary(module);
    return ok;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: music_bench <program folder> <large fixture> <empty fixture> [runs [stand-ins]]\n");
        return 2;
    }
    const std::wstring exe = std::wstring(argv[1]) + L"\\SkylumeSetting.exe";
    const int runs = argc > 4 ? _wtoi(argv[4]) : 5;
    const std::wstring standIns = argc > 5 ? argv[5] : L"";
    std::vector<double> withMusic, without, withoutComponents;
    LRESULT albums = 0, none = 0, missing = 0;
    // Alternate the starts so that any drift of the machine affects all alike; the first round warms caches.
    for (int i = 0; i <= runs; ++i) {
        UseFixture(argv[2]);
        const double large = TimeOneStart(exe, &albums);
        UseFixture(argv[3]);
        const double empty = TimeOneStart(exe, &none);
        double unregistered = 0;
        if (!standIns.empty()) {
            if (!CallServerExport(standIns, "DllUnregisterServer")) {
                std::fprintf(stderr, "cannot unregister the media stand-ins\n");
                return 1;
            }
            unregistered = TimeOneStart(exe, &missing);
            CallServerExport(standIns, "DllRegisterServer");
        }
        if (large < 0 || empty < 0 || unregistered < 0) {
            std::fprintf(stderr, "the settings window or its album list did not appear\n");
            return 1;
        }
        if (i > 0) {
            withMusic.push_back(large);
            without.push_back(empty);
            withoutComponents.push_back(unregistered);
        }
    }
    UseFixture(argv[2]);
    const double a = Median(withMusic), b = Median(without), c = Median(withoutComponents);
    std::printf("settings window with the album list shown, median of %d runs\n", runs);
    std::printf("  with %ld albums listed: %8.1f ms\n", long(albums - 1), a);
    std::printf("  without music:          %8.1f ms\n", b);
    std::printf("  ratio:                  %8.2f (at most 2 is the aim)\n", b > 0 ? a / b : 0.0);
    if (!standIns.empty()) {
        std::printf("  without media components (%ld albums listed): %8.1f ms\n", long(missing - 1), c);
        std::printf("  ratio against without music: %8.2f (about 1 is the aim)\n", b > 0 ? c / b : 0.0);
    }
    return 0;
}

// City database benchmark. A citydb.dat at the format's limits (1,000 zone names, 100 groups of 10,000 cities)
// is loaded by LoadCityDatabase beside a plain read of the same file's bytes in the same run; then the add-clock
// dialog is opened with 10,000 cities in its list, beside the same dialog with the shipped database.
// Prints medians and ratios.
//
//     citydb_bench.exe [runs]      (run from the folder holding the language libraries and citydb.dat)
#include "pages/world_clock/city_database.h"
#include "pages/world_clock/clock_dialogs.h"
#include "res/resource.h"
#include "shell/binary_io.h"
#include "shell/folders.h"
#include "shell/language.h"
#include "win32/app.h"
#include "win32/handle.h"

#include <algorithm>
#include <commctrl.h>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MedianOf(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    return Median(times);
}

// Zone names cycle through the registry's real zones, so every city resolves and the whole file is read.
std::string LimitFile(const TimeZoneList& zones, int language) {
    shell::BinaryWriter out;
    out.PutUint32(kCityDatabaseMagic);
    out.PutUint32(kMaxZoneNames);
    for (int i = 0; i < kMaxZoneNames; ++i)
        out.PutString(zones[size_t(i) % zones.size()]->keyName);
    out.PutUint32(kMaxCityGroups);
    for (int g = 0; g < kMaxCityGroups; ++g) {
        out.PutUint32(uint32_t(g == 0 ? language : g % (kMaxGroupLanguage + 1)));
        out.PutUint32(kMaxCitiesPerGroup);
        for (int c = 0; c < kMaxCitiesPerGroup; ++c) {
            out.PutUint32(uint32_t((g * 7 + c) % kMaxZoneNames));
            out.PutString(L"City " + std::to_wstring(c) + L" of group " + std::to_wstring(g));
        }
    }
    return out.bytes();
}

std::string PlainRead(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
    return bytes;
}

void CALLBACK CloseActiveDialog(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND active = ::GetActiveWindow())
        ::PostMessageW(active, WM_COMMAND, IDCANCEL, 0);
}

// Opens the add-clock dialog and closes it as soon as the queue is idle (the list filled and painted).
void OpenAndCloseClockDialog(const CCityDatabase& database) {
    CClockEntry entry;
    CEditClockDialog dialog(IDD_EDIT_CLOCK, database, entry, nullptr);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 0, CloseActiveDialog);
    dialog.DoModal();
    ::KillTimer(nullptr, timer);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    win32::WinApp app;
    shell::LanguageResources resources;
    if (!resources.LoadLanguageResources()) {
        std::fprintf(stderr, "no language library beside the benchmark\n");
        return 1;
    }

    CCityDatabase shipped;
    if (!shipped.LoadCityDatabase() || shipped.zones().empty()) {
        std::fprintf(stderr, "citydb.dat or the registry's time zones missing\n");
        return 1;
    }
    const std::wstring path = shell::GetProgramFolder() + L"\\citydb-limits.dat";
    const std::string bytes = LimitFile(shipped.zones(), shell::GetLanguageIndex());
    {
        win32::FileHandle file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }

    size_t cities = 0;
    const double plain = MedianOf(runs, [&] { cities += PlainRead(path).size() > 0; });
    const double load = MedianOf(runs, [&] {
        CCityDatabase database;
        if (!database.LoadCityDatabase(path))
            std::fprintf(stderr, "the limit file did not load\n");
        cities = 0;
        for (const CCityGroup& group : database.groups())
            cities += group.cities.size();
    });
    std::printf("citydb.dat at the limits: %zu bytes, %zu cities\n", bytes.size(), cities);
    std::printf("  plain read of the bytes   %9.1f ms\n", plain);
    std::printf("  LoadCityDatabase          %9.1f ms   ratio %.2f (aim: at most 2)\n", load, load / plain);

    CCityDatabase big;
    big.LoadCityDatabase(path);
    const double shippedDialog = MedianOf(runs, [&] { OpenAndCloseClockDialog(shipped); });
    const double bigDialog = MedianOf(runs, [&] { OpenAndCloseClockDialog(big); });
    const size_t shippedCities = shipped.FindCityGroup(shell::GetLanguageIndex())->cities.size();
    std::printf("add-clock dialog, open until idle:\n");
    std::printf("  shipped database (%zu cities) %9.1f ms\n", shippedCities, shippedDialog);
    std::printf("  10,000 cities                 %9.1f ms   ratio %.2f\n", bigDialog, bigDialog / shippedDialog);
    ::DeleteFileW(path.c_str());
    return 0;
}

// Start-up benchmark: how long the settings program takes from process start until its window is fully
// initialised (every page created and loaded, a category selected, OK enabled), next to how long Wine takes to
// show the same window template empty from the same language library. Prints both medians and their ratio.
//
//     startup_bench.exe <folder with SkylumeSetting.exe and empty_dialog.exe> [runs]
#include "ready_window.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
        double p = bench::TimeOneStart(folder + L"\\SkylumeSetting.exe");
        double b = bench::TimeOneStart(folder + L"\\empty_dialog.exe");
        if (p < 0 || b < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
        if (i > 0) {
            program.push_back(p);
            baseline.push_back(b);
        }
    }
    const double p = bench::Median(program), b = bench::Median(baseline);
    std::printf("settings window ready:  %8.1f ms (median of %d)\n", p, runs);
    std::printf("empty dialog shown:     %8.1f ms (median of %d)\n", b, runs);
    std::printf("ratio settings/empty:   %8.2f\n", b > 0 ? p / b : 0.0);
    return 0;
}

// Start-up benchmark: from process start until the settings window is visible with every page created and
// loaded (OK enabled) and nothing left to paint (no window of the process has a pending update region), next to
// the same for an empty dialog from the same template, language library and manifest. Only the started
// process's own windows are looked at, through its main thread. Each round also starts the empty dialog with every
// page template created into it and no page code, which shows what the controls alone cost on this platform.
// Rounds rotate which program starts first; the result is the median of the per-round ratios with a
// distribution-free 95% confidence interval.
//
//     startup_bench.exe <folder with SkylumeSetting.exe and empty_dialog.exe> [pairs, at least 25]
#include "ready_window.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The ranks (0-based) bounding a 95% confidence interval for the median of n values: the largest j with
// P(Binomial(n, 1/2) < j) <= 2.5%, and n - 1 - j.
std::pair<size_t, size_t> MedianConfidenceRanks(size_t n) {
    double cumulative = 0;
    size_t j = 0;
    for (size_t k = 0; k < n; ++k) {
        const double p = std::exp(std::lgamma(double(n) + 1) - std::lgamma(double(k) + 1) -
                                  std::lgamma(double(n - k) + 1) - double(n) * std::log(2.0));
        if (cumulative + p > 0.025)
            break;
        cumulative += p;
        j = k + 1;
    }
    return {j, n - 1 - j};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <program folder> [pairs]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const int pairs = std::max(25, argc > 2 ? _wtoi(argv[2]) : 25);
    const std::wstring program = folder + L"\\SkylumeSetting.exe", baseline = folder + L"\\empty_dialog.exe";
    // The settings program, the empty dialog, and the empty dialog with every page template created into it.
    struct Start {
        const std::wstring& exe;
        std::wstring arguments;
    };
    const Start starts[3] = {{program, L""}, {baseline, L""}, {baseline, L"--pages"}};
    // One start of each warms the caches and is not counted.
    for (const Start& start : starts) {
        if (bench::TimeUntilReady(start.exe, start.arguments) < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
    }
    std::vector<double> times[3], ratios, floorRatios;
    for (int i = 0; i < pairs; ++i) {
        // Each round rotates which of the three starts first.
        double round[3];
        for (int k = 0; k < 3; ++k) {
            const int which = (i + k) % 3;
            round[which] = bench::TimeUntilReady(starts[which].exe, starts[which].arguments);
            if (round[which] < 0) {
                std::fprintf(stderr, "a window did not become ready\n");
                return 1;
            }
        }
        for (int k = 0; k < 3; ++k)
            times[k].push_back(round[k]);
        ratios.push_back(round[0] / round[1]);
        floorRatios.push_back(round[2] / round[1]);
    }
    auto printRatio = [pairs](const char* label, const std::vector<double>& values) {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const auto [low, high] = MedianConfidenceRanks(sorted.size());
        std::printf("%-24s%8.2f (median of %d per-round ratios, 95%% CI %.2f .. %.2f)\n", label, Median(values), pairs,
                    sorted[low], sorted[high]);
    };
    std::printf("settings window ready:  %8.1f ms (median of %d)\n", Median(times[0]), pairs);
    std::printf("empty dialog ready:     %8.1f ms (median of %d)\n", Median(times[1]), pairs);
    std::printf("page templates only:    %8.1f ms (median of %d)\n", Median(times[2]), pairs);
    printRatio("ratio settings/empty:", ratios);
    // The share of the settings window's start that the platform's own control creation takes.
    printRatio("ratio templates/empty:", floorRatios);
    return 0;
}

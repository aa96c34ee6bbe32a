// Start-up benchmark: from process start until the settings window is visible with every page created and
// loaded (OK enabled) and nothing left to paint (no window of the process has a pending update region), next to
// the same for an empty dialog from the same template, language library and manifest. Only the started
// process's own windows are looked at, through its main thread. Pairs alternate which program starts first;
// the result is the median of the per-pair ratios with a distribution-free 95% confidence interval.
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
    // One start of each warms the caches and is not counted.
    if (bench::TimeUntilReady(program) < 0 || bench::TimeUntilReady(baseline) < 0) {
        std::fprintf(stderr, "a window did not become ready\n");
        return 1;
    }
    std::vector<double> programTimes, baselineTimes, ratios;
    for (int i = 0; i < pairs; ++i) {
        const bool programFirst = i % 2 == 0;
        const double first = bench::TimeUntilReady(programFirst ? program : baseline);
        const double second = bench::TimeUntilReady(programFirst ? baseline : program);
        if (first < 0 || second < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
        const double p = programFirst ? first : second, b = programFirst ? second : first;
        programTimes.push_back(p);
        baselineTimes.push_back(b);
        ratios.push_back(p / b);
    }
    std::vector<double> sorted = ratios;
    std::sort(sorted.begin(), sorted.end());
    const auto [low, high] = MedianConfidenceRanks(sorted.size());
    std::printf("settings window ready:  %8.1f ms (median of %d)\n", Median(programTimes), pairs);
    std::printf("empty dialog ready:     %8.1f ms (median of %d)\n", Median(baselineTimes), pairs);
    std::printf("ratio settings/empty:   %8.2f (median of %d per-pair ratios, 95%% CI %.2f .. %.2f)\n", Median(ratios),
                pairs, sorted[low], sorted[high]);
    return 0;
}

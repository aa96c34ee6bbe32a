// Start-up benchmark: from process start until the settings window is visible with every page created and
// loaded (OK enabled) and nothing left to paint (no window of the process has a pending update region), next to
// the same for an empty dialog from the same template, language library and manifest. Only the started
// process's own windows are looked at, through its main thread. Each round also starts the empty dialog with every
// page template created into it and no page code, which shows what the controls alone cost on this platform.
// Each build named on the command line (the 64-bit and the 32-bit one, say) takes part in every round with its
// three starts; rounds rotate which start comes first. Per build, the result is the median of the per-round
// ratios with a distribution-free 95% confidence interval.
//
//     startup_bench.exe <rounds, at least 25> <label>=<folder with SkylumeSetting.exe and empty_dialog.exe>...
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

struct Build {
    std::wstring label; // the architecture, as the output names it
    std::wstring program, baseline;
    std::vector<double> times[3], ratios, floorRatios;
};

void PrintRatio(const char* label, const std::vector<double>& values) {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const auto [low, high] = MedianConfidenceRanks(sorted.size());
    std::printf("%-28s%8.2f (median of %zu per-round ratios, 95%% CI %.2f .. %.2f)\n", label, Median(values),
                values.size(), sorted[low], sorted[high]);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <rounds> <label>=<program folder> [<label>=<program folder>...]\n");
        return 2;
    }
    const int rounds = std::max(25, _wtoi(argv[1]));
    std::vector<Build> builds;
    for (int i = 2; i < argc; ++i) {
        const std::wstring argument = argv[i];
        const size_t equals = argument.find(L'=');
        if (equals == std::wstring::npos) {
            std::fprintf(stderr, "expected <label>=<program folder>: %ls\n", argument.c_str());
            return 2;
        }
        const std::wstring folder = argument.substr(equals + 1);
        builds.push_back(
            {argument.substr(0, equals), folder + L"\\SkylumeSetting.exe", folder + L"\\empty_dialog.exe"});
    }
    // Per build: the settings program, the empty dialog, and the empty dialog with every page template created
    // into it. Every start of every build is one slot of a round.
    struct Slot {
        Build* build;
        int kind;
    };
    std::vector<Slot> slots;
    for (Build& build : builds)
        for (int kind = 0; kind < 3; ++kind)
            slots.push_back({&build, kind});
    auto run = [](const Slot& slot) {
        const Build& build = *slot.build;
        return bench::TimeUntilReady(slot.kind == 0 ? build.program : build.baseline,
                                     slot.kind == 2 ? L"--pages" : L"");
    };
    // One start of each warms the caches and is not counted.
    for (const Slot& slot : slots) {
        if (run(slot) < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
    }
    for (int i = 0; i < rounds; ++i) {
        // Each round rotates which start comes first.
        std::vector<double> round(slots.size());
        for (size_t k = 0; k < slots.size(); ++k) {
            const size_t which = (i + k) % slots.size();
            round[which] = run(slots[which]);
            if (round[which] < 0) {
                std::fprintf(stderr, "a window did not become ready\n");
                return 1;
            }
        }
        for (size_t k = 0; k < slots.size(); ++k)
            slots[k].build->times[slots[k].kind].push_back(round[k]);
        for (Build& build : builds) {
            build.ratios.push_back(build.times[0].back() / build.times[1].back());
            build.floorRatios.push_back(build.times[2].back() / build.times[1].back());
        }
    }
    for (const Build& build : builds) {
        const std::string label(build.label.begin(), build.label.end());
        std::printf("== %s build ==\n", label.c_str());
        std::printf("settings window ready:      %8.1f ms (median of %d)\n", Median(build.times[0]), rounds);
        std::printf("empty dialog ready:         %8.1f ms (median of %d)\n", Median(build.times[1]), rounds);
        std::printf("page templates only:        %8.1f ms (median of %d)\n", Median(build.times[2]), rounds);
        PrintRatio("ratio settings/empty:", build.ratios);
        // The share of the settings window's start that the platform's own control creation takes.
        PrintRatio("ratio templates/empty:", build.floorRatios);
    }
    return 0;
}

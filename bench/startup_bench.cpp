// Start-up benchmark: from process start until the settings window is visible with every page created and
// loaded (OK enabled) and nothing left to paint (no visible window of the process has a pending update region),
// next to the same for an empty dialog from the same template, language library and manifest. Only the started
// process's own windows are looked at, through its main thread. Each round also starts the empty dialog with every
// page template created into it and no page code: the platform's own cost of those controls, the floor the
// settings window can reach.
// Each build named on the command line (the 64-bit and the 32-bit one, say) takes part in every round with its
// three starts. A round starts them in an order shuffled from a seed (printed, so a run can be repeated), and
// every start waits for the previous process to end and then pauses, so that no start pays for the one before it.
// Per build, the results are medians of the per-round ratios with distribution-free 95% confidence intervals.
//
//     startup_bench.exe <rounds, at least 25> [--pause=MS] [--seed=N] <label>=<program folder>...
//
// With --count each program of each build is started once more (after one uncounted start) and, once ready, the
// bench creates the event "SkylumeBenchReady-<pid>" and prints "count <label> <program> <pid>": a server trace
// taken meanwhile (WINEDEBUG=+server, or a wineserver started with -d1) then holds every request the process made
// before its window was ready, up to that event (bench/count-requests reads it).
#include "ready_window.h"
#include "stats.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgramNames[3] = {"settings", "empty", "templates"};

struct Build {
    std::string label; // the architecture, as the output names it
    std::wstring program, baseline;
    std::vector<double> times[3];
};

struct Slot {
    Build* build;
    int kind; // 0 the settings program, 1 the empty dialog, 2 the empty dialog with every page template
};

double Start(const Slot& slot, DWORD pauseMs, DWORD pollMs = 2,
             const std::function<void(DWORD, DWORD)>& whenReady = {}) {
    const Build& build = *slot.build;
    const double ms = bench::TimeUntilReady(slot.kind == 0 ? build.program : build.baseline,
                                            slot.kind == 2 ? L"--pages" : L"", 600000, whenReady, pollMs);
    ::Sleep(pauseMs);
    return ms;
}

std::vector<double> Ratios(const std::vector<double>& numerators, const std::vector<double>& denominators) {
    std::vector<double> ratios;
    for (size_t i = 0; i < numerators.size() && i < denominators.size(); ++i)
        ratios.push_back(numerators[i] / denominators[i]);
    return ratios;
}

int CountRequests(std::vector<Slot>& slots, DWORD pauseMs) {
    // Counted starts are looked at seldom: every look is a few server requests of the bench's own, and a traced
    // server is slow.
    constexpr DWORD kPollMs = 200;
    for (const Slot& slot : slots) {
        if (Start(slot, pauseMs, kPollMs) < 0)
            return 1;
        const auto mark = [&slot](DWORD processId, DWORD) {
            // The marker the trace reader stops at; the process is idle and ready at this point.
            wchar_t name[64];
            swprintf(name, 64, L"SkylumeBenchReady-%04lx", static_cast<unsigned long>(processId));
            HANDLE marker = ::CreateEventW(nullptr, TRUE, FALSE, name);
            std::printf("count %s %s %04lx\n", slot.build->label.c_str(), kProgramNames[slot.kind],
                        static_cast<unsigned long>(processId));
            std::fflush(stdout);
            if (marker)
                ::CloseHandle(marker);
        };
        if (Start(slot, pauseMs, kPollMs, mark) < 0)
            return 1;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <rounds> [--pause=MS] [--seed=N] [--count] "
                             "<label>=<program folder>...\n");
        return 2;
    }
    const int rounds = std::max(25, _wtoi(argv[1]));
    DWORD pauseMs = 300;
    unsigned seed = ::GetTickCount();
    bool count = false;
    std::vector<Build> builds;
    for (int i = 2; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument.rfind(L"--pause=", 0) == 0) {
            pauseMs = DWORD(_wtoi(argument.c_str() + 8));
            continue;
        }
        if (argument.rfind(L"--seed=", 0) == 0) {
            seed = unsigned(wcstoul(argument.c_str() + 7, nullptr, 10));
            continue;
        }
        if (argument == L"--count") {
            count = true;
            continue;
        }
        const size_t equals = argument.find(L'=');
        if (equals == std::wstring::npos) {
            std::fprintf(stderr, "expected <label>=<program folder>: %ls\n", argument.c_str());
            return 2;
        }
        const std::wstring label = argument.substr(0, equals), folder = argument.substr(equals + 1);
        Build build;
        build.label.assign(label.begin(), label.end());
        build.program = folder + L"\\SkylumeSetting.exe";
        build.baseline = folder + L"\\empty_dialog.exe";
        builds.push_back(std::move(build));
    }
    // Every start of every build is one slot of a round.
    std::vector<Slot> slots;
    for (Build& build : builds)
        for (int kind = 0; kind < 3; ++kind)
            slots.push_back({&build, kind});
    if (count) {
        if (CountRequests(slots, pauseMs) != 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
        return 0;
    }

    std::printf("seed %u, %lu ms between starts\n", seed, static_cast<unsigned long>(pauseMs));
    std::mt19937 order(seed);
    // One start of each warms the caches and is not counted.
    for (const Slot& slot : slots) {
        if (Start(slot, pauseMs) < 0) {
            std::fprintf(stderr, "a window did not become ready\n");
            return 1;
        }
    }
    for (int i = 0; i < rounds; ++i) {
        std::vector<size_t> sequence(slots.size());
        for (size_t k = 0; k < sequence.size(); ++k)
            sequence[k] = k;
        std::shuffle(sequence.begin(), sequence.end(), order);
        std::vector<double> round(slots.size());
        for (size_t which : sequence) {
            round[which] = Start(slots[which], pauseMs);
            if (round[which] < 0) {
                std::fprintf(stderr, "a window did not become ready\n");
                return 1;
            }
        }
        for (size_t k = 0; k < slots.size(); ++k)
            slots[k].build->times[slots[k].kind].push_back(round[k]);
        std::printf("round %2d:", i + 1);
        for (const Build& build : builds) {
            const double settings = build.times[0].back(), empty = build.times[1].back(),
                         templates = build.times[2].back();
            std::printf("  %s settings/templates %.2f settings/empty %.2f templates/empty %.2f", build.label.c_str(),
                        settings / templates, settings / empty, templates / empty);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    for (const Build& build : builds) {
        std::printf("== %s build ==\n", build.label.c_str());
        std::printf("settings window ready:      %8.1f ms (median of %d)\n", bench::Median(build.times[0]), rounds);
        std::printf("empty dialog ready:         %8.1f ms (median of %d)\n", bench::Median(build.times[1]), rounds);
        std::printf("page templates only:        %8.1f ms (median of %d)\n", bench::Median(build.times[2]), rounds);
        // The settings window against its floor: the empty dialog with every page template created.
        bench::PrintRatio("ratio settings/templates:", Ratios(build.times[0], build.times[2]));
        bench::PrintRatio("ratio settings/empty:", Ratios(build.times[0], build.times[1]));
        // The share of the settings window's start that the platform's own control creation takes.
        bench::PrintRatio("ratio templates/empty:", Ratios(build.times[2], build.times[1]));
    }
    return 0;
}

// The fuzz loop under Wine: mutates a corpus, runs each input through one target in this process, and stops at
// the first crash, failed check, escaped exception, input over the time limit or memory over the limit, leaving
// the input in the artifacts folder.
//
//   skylume_fuzz TARGET [--seconds N] [--runs N] [--corpus DIR]... [--artifacts DIR] [--seed N]
//                 (10 s when neither limit is given; with both, whichever is reached first)
//   skylume_fuzz --all [same options]   every target in turn, each with those limits, in this one process
//   skylume_fuzz --replay DIR     every file in DIR\TARGET\ through TARGET, for each target
//   skylume_fuzz --list
#include "mutator.h"
#include "test_env.h"
#include "wine_targets.h"
#include "win32/com.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

namespace {

struct AnyTarget {
    std::string name;
    fuzz::TargetFunction run;
    bool xml = false;
    std::string seedFolders;
};

constexpr DWORD kCpuLimitMs = 1000;   // CPU time of one input
constexpr DWORD kWallLimitMs = 20000; // wall time of one input, for a reader that blocks
constexpr SIZE_T kMemoryLimit = 1u << 30;

std::string g_artifacts = ".";
std::string g_current;
std::string g_target;
std::atomic<bool> g_busy{false};
std::atomic<uint32_t> g_inputId{0};
std::atomic<DWORD> g_startTick{0};
std::atomic<bool> g_findingSaved{false};

void SaveFinding(const char* kind) {
    if (g_findingSaved.exchange(true))
        return;
    const std::string path = g_artifacts + "\\" + kind + "-" + g_target + ".bin";
    testenv::WriteFile(std::wstring(path.begin(), path.end()), g_current);
    std::fprintf(stderr, "finding: %s in target %s, %zu-byte input saved as %s\n", kind, g_target.c_str(),
                 g_current.size(), path.c_str());
    std::fflush(stderr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "exception 0x%08lX at %p\n", info->ExceptionRecord->ExceptionCode,
                 info->ExceptionRecord->ExceptionAddress);
    SaveFinding("crash");
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnAbort(int) {
    SaveFinding("check");
    ::TerminateProcess(::GetCurrentProcess(), 3);
}

uint64_t CpuMs(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(thread, &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000; };
    return ms(kernel) + ms(user);
}

// Watches the working thread: CPU time per input (fair on a loaded machine), wall time, and private memory.
void Watchdog(HANDLE worker) {
    uint64_t cpuAtStart = 0;
    uint32_t seen = 0;
    for (;;) {
        ::Sleep(50);
        if (!g_busy.load()) {
            continue;
        }
        const uint32_t id = g_inputId.load();
        if (id != seen) {
            seen = id;
            cpuAtStart = CpuMs(worker);
        }
        PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
        const char* kind = nullptr;
        if (CpuMs(worker) - cpuAtStart > kCpuLimitMs + 100) // the watchdog samples every 50 ms
            kind = "hang";
        else if (::GetTickCount() - g_startTick.load() > kWallLimitMs)
            kind = "stall";
        else if (counters.PagefileUsage > kMemoryLimit)
            kind = "memory";
        if (kind && g_busy.load() && g_inputId.load() == id) {
            ::SuspendThread(worker);
            SaveFinding(kind);
            ::TerminateProcess(::GetCurrentProcess(), 4);
        }
    }
}

std::vector<AnyTarget> AllTargets() {
    std::vector<AnyTarget> targets;
    for (const fuzz::Target& t : fuzz::PortableTargets())
        targets.push_back({t.name, t.run, false, std::string("fuzz/corpus/") + t.name});
    for (const fuzz::WineTarget& t : fuzz::WineTargets())
        targets.push_back({t.name, t.run, t.xml, t.seedFolders});
    return targets;
}

// A Unix path (as ctest passes it) as Wine's drive Z: sees it.
std::wstring WindowsPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide[0] == L'/')
        wide = L"Z:" + wide;
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

std::vector<std::string> FilesIn(const std::wstring& folder, bool recurse) {
    std::vector<std::string> files;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (recurse)
                for (std::string& file : FilesIn(folder + L"\\" + name, true))
                    files.push_back(std::move(file));
        } else if (auto bytes = testenv::ReadFile(folder + L"\\" + name)) {
            files.push_back(std::move(*bytes));
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return files;
}

void RunOne(const AnyTarget& target, const std::string& input) {
    g_current = input;
    g_startTick.store(::GetTickCount());
    g_inputId.fetch_add(1);
    g_busy.store(true);
    try {
        target.run(input);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "escaped exception: %s\n", e.what());
        SaveFinding("exception");
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
    g_busy.store(false);
}

int Replay(const std::vector<AnyTarget>& targets, const std::wstring& folder) {
    size_t files = 0;
    for (const AnyTarget& target : targets) {
        g_target = target.name;
        const std::wstring sub = folder + L"\\" + std::wstring(target.name.begin(), target.name.end());
        for (const std::string& input : FilesIn(sub, false)) {
            RunOne(target, input);
            ++files;
        }
    }
    std::printf("replayed %zu files without a finding\n", files);
    return 0;
}

// Every seed once as it is, then mutations until the time or the count is reached.
void Fuzz(const AnyTarget& target, std::vector<std::wstring> corpora, double seconds, uint64_t runs, uint32_t seed) {
    g_target = target.name;

    std::vector<std::string> corpus;
    if (corpora.empty()) {
        size_t start = 0;
        const std::string& folders = target.seedFolders;
        while (start <= folders.size()) {
            const size_t end = std::min(folders.find(';', start), folders.size());
            corpora.push_back(testenv::SourceFile(std::wstring(folders.begin() + start, folders.begin() + end)));
            start = end + 1;
        }
    }
    for (const std::wstring& folder : corpora)
        for (std::string& input : FilesIn(folder, true))
            corpus.push_back(std::move(input));
    if (corpus.empty())
        corpus.push_back(std::string());
    const size_t seeds = corpus.size();

    for (const std::string& input : corpus)
        RunOne(target, std::string(input));
    size_t largestSeed = 0;
    for (const std::string& input : corpus)
        largestSeed = std::max(largestSeed, input.size());
    fuzz::Mutator mutator(seed, std::max<size_t>(4 * largestSeed, 8 * 1024));
    const DWORD start = ::GetTickCount();
    uint64_t done = seeds;
    if (!runs && !seconds)
        seconds = 10;
    // Until the count or the time is reached, whichever comes first.
    while ((!runs || done < runs) && (!seconds || (::GetTickCount() - start) < seconds * 1000)) {
        const std::string& base = corpus[mutator.Below(uint32_t(corpus.size()))];
        const std::string& other = corpus[mutator.Below(uint32_t(corpus.size()))];
        std::string input = mutator.Mutate(base, other, target.xml);
        RunOne(target, input);
        ++done;
        // Without coverage feedback, a bounded share of mutants joins the corpus so mutations can stack.
        if (mutator.Below(8) == 0 && input.size() <= mutator.sizeLimit()) {
            if (corpus.size() < seeds + 512)
                corpus.push_back(std::move(input));
            else
                corpus[seeds + mutator.Below(512)] = std::move(input);
        }
    }
    PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    std::printf("target %s: %llu executions in %.0f s, %zu seeds, seed %u, no finding, peak working set %zu MB, "
                "peak private %zu MB\n",
                target.name.c_str(), (unsigned long long)done, (::GetTickCount() - start) / 1000.0, seeds, seed,
                counters.PeakWorkingSetSize >> 20, counters.PeakPagefileUsage >> 20);
}

} // namespace

int main(int argc, char** argv) {
    ::SetUnhandledExceptionFilter(OnCrash);
    std::signal(SIGABRT, OnAbort);
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    win32::ComInit com;
    fuzz::PrepareWineTargets();
    const std::vector<AnyTarget> targets = AllTargets();
    HANDLE worker = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &worker, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    std::thread(Watchdog, worker).detach();

    std::string targetName;
    std::vector<std::wstring> corpora;
    double seconds = 0;
    uint64_t runs = 0;
    uint32_t seed = ::GetTickCount();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--list") {
            for (const AnyTarget& t : targets)
                std::printf("%s\n", t.name.c_str());
            return 0;
        } else if (arg == "--replay" && hasValue) {
            return Replay(targets, WindowsPath(argv[++i]));
        } else if (arg == "--seconds" && hasValue) {
            seconds = std::atof(argv[++i]);
        } else if (arg == "--runs" && hasValue) {
            runs = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--corpus" && hasValue) {
            corpora.push_back(WindowsPath(argv[++i]));
        } else if (arg == "--artifacts" && hasValue) {
            const std::wstring path = WindowsPath(argv[++i]);
            g_artifacts.assign(path.begin(), path.end());
        } else if (arg == "--seed" && hasValue) {
            seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        } else {
            targetName = arg;
        }
    }
    if (targetName == "--all") {
        for (const AnyTarget& t : targets)
            Fuzz(t, corpora, seconds, runs, seed);
        return 0;
    }
    for (const AnyTarget& t : targets)
        if (t.name == targetName) {
            Fuzz(t, corpora, seconds, runs, seed);
            return 0;
        }
    std::fprintf(stderr, "unknown target '%s' (--list names them)\n", targetName.c_str());
    return 2;
}

// Feed-check benchmark: the 5 MB feed checked end to end (download over HTTP from the local feed server,
// temporary file, stylesheet, title) next to MSXML's own load of the same file, each in a fresh process so
// that the peak working sets compare. Prints medians of time and peak working set, and their ratios.
//
//     feed_check_bench.exe [runs]
#include <winsock2.h>

#include "feed_server.h"
#include "pages/news/feed_check.h"
#include "win32/com.h"
#include "xmldata/xml_document.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sample {
    double ms = -1;
    double peakMb = -1;
};

// The child's job: one check or one load; prints "<ms> <peak bytes>" to the result file.
int RunChild(const std::wstring& mode, const std::wstring& target, const std::wstring& resultFile) {
    win32::ComInit com;
    const auto start = std::chrono::steady_clock::now();
    bool ok = false;
    if (mode == L"check") {
        news::CancelFlag cancel{0};
        std::wstring title;
        ok = news::CheckFeed(cancel, target, title) == news::kFeedOk && title == L"Big feed";
    } else {
        xmldata::XmlDocument doc;
        ok = doc.Load(target) && doc.SelectNode(L"/rss/channel/title", doc.DocumentNode());
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    FILE* out = _wfopen(resultFile.c_str(), L"w");
    if (!out)
        return 2;
    std::fprintf(out, "%f %llu\n", ms, static_cast<unsigned long long>(counters.PeakWorkingSetSize));
    std::fclose(out);
    return ok ? 0 : 1;
}

Sample RunInChild(const std::wstring& mode, const std::wstring& target) {
    wchar_t exe[MAX_PATH], folder[MAX_PATH], resultFile[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"fcb", 0, resultFile);
    std::wstring commandLine =
        L"\"" + std::wstring(exe) + L"\" " + mode + L" \"" + target + L"\" \"" + resultFile + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    Sample sample;
    if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return sample;
    ::WaitForSingleObject(info.hProcess, 120000);
    DWORD code = 1;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    if (FILE* in = _wfopen(resultFile, L"r")) {
        unsigned long long peak = 0;
        if (code == 0 && std::fscanf(in, "%lf %llu", &sample.ms, &peak) == 2)
            sample.peakMb = double(peak) / (1024.0 * 1024.0);
        else
            sample.ms = -1;
        std::fclose(in);
    }
    ::DeleteFileW(resultFile);
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4)
        return RunChild(argv[1], argv[2], argv[3]);
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;

    testenv::FeedServer server;
    if (!server.running()) {
        std::printf("the local feed server did not start\n");
        return 1;
    }
    wchar_t folder[MAX_PATH], feedFile[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"big", 0, feedFile);
    const std::string& feed = testenv::FeedServer::BigFeed();
    if (FILE* out = _wfopen(feedFile, L"wb")) {
        std::fwrite(feed.data(), 1, feed.size(), out);
        std::fclose(out);
    }

    std::vector<double> checkMs, checkMb, loadMs, loadMb;
    for (int i = 0; i < runs; ++i) {
        Sample check = RunInChild(L"check", server.Url(L"/big.xml"));
        Sample load = RunInChild(L"load", feedFile);
        if (check.ms < 0 || load.ms < 0) {
            std::printf("run %d failed (check %.0f ms, load %.0f ms)\n", i + 1, check.ms, load.ms);
            continue;
        }
        checkMs.push_back(check.ms);
        checkMb.push_back(check.peakMb);
        loadMs.push_back(load.ms);
        loadMb.push_back(load.peakMb);
    }
    ::DeleteFileW(feedFile);
    if (checkMs.empty())
        return 1;
    std::printf("feed of %.1f MB, median of %zu runs\n", double(feed.size()) / (1024.0 * 1024.0), checkMs.size());
    std::printf("feed check end to end : %8.1f ms  peak %6.1f MB\n", Median(checkMs), Median(checkMb));
    std::printf("MSXML load of the file: %8.1f ms  peak %6.1f MB\n", Median(loadMs), Median(loadMb));
    std::printf("ratio time %.2f, peak working set %.2f (aim: at most 1.5)\n", Median(checkMs) / Median(loadMs),
                Median(checkMb) / Median(loadMb));
    return 0;
}

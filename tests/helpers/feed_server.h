// A small HTTP server on 127.0.0.1 for the news tests and the feed-check benchmark. It listens on a free port
// chosen by the system, answers each connection on its own thread and closes it after one answer.
//
//   /feeds/NAME          the fixture NAME (stored as UTF-8); NAME ending in .latin1.xml, .cp1252.xml or
//                        .utf16.xml, .sjis.xml or .eucjp.xml is sent re-encoded as ISO-8859-1, Windows-1252,
//                        UTF-16LE with a BOM, Shift_JIS or EUC-JP
//   /redirect/N          a chain of N 302 answers ending at /feeds/rss20.xml
//   /other-host          a 302 answer to /feeds/rss20.xml on "localhost" instead of 127.0.0.1
//   /status/CODE         that status (401 asks for Basic credentials)
//   /big.xml             an RSS 2.0 feed of about 5 MB
//   /trickle.xml         a small feed sent in 16-byte pieces, 10 ms apart, without a length
//   /slow.xml            no answer until the server stops
//   /stall.xml           the head and half a feed, then nothing more until the server stops
//   /delay/MS/REST       the answer for /REST after MS milliseconds
//   /gate/N/REST         the answer for /REST once the test has opened gate N (OpenGates)
#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testenv {

class FeedServer {
public:
    // `fixtures`: the folder that /feeds/ serves; may be empty for the generated answers only.
    explicit FeedServer(std::wstring fixtures = {});
    ~FeedServer();
    FeedServer(const FeedServer&) = delete;
    FeedServer& operator=(const FeedServer&) = delete;

    bool running() const { return listener_ != ~uintptr_t(0); }
    unsigned short port() const { return port_; }
    std::wstring Url(const std::wstring& path) const;

    int requestCount() const { return requests_.load(); }
    int RequestsFor(const std::string& path);
    int maxConcurrent() const { return maxActive_.load(); }
    // Opens gates 1 to `gate`: held /gate/ requests up to that number are answered.
    void OpenGates(int gate) { openGates_ = gate; }

    // The generated 5 MB feed, for comparing against a parser's load of the same bytes.
    static const std::string& BigFeed();

private:
    void AcceptLoop();
    void Serve(uintptr_t socket);
    std::string Answer(const std::string& path, uintptr_t socket);

    std::wstring fixtures_;
    uintptr_t listener_ = ~uintptr_t(0);
    unsigned short port_ = 0;
    HANDLE stop_ = nullptr;
    std::thread acceptThread_;
    std::mutex lock_;
    std::vector<std::thread> workers_;
    std::map<std::string, int> perPath_;
    std::atomic<int> requests_{0}, active_{0}, maxActive_{0}, openGates_{0};
};

} // namespace testenv

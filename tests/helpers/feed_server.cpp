#include <winsock2.h>

#include "feed_server.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace testenv {
namespace {

std::string Response(int status, const std::string& reason, const std::string& headers, const std::string& body,
                     bool withLength = true) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" + headers;
    if (withLength)
        head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return head + "Connection: close\r\n\r\n" + body;
}

bool SendAll(SOCKET socket, const char* data, size_t size) {
    while (size > 0) {
        int sent = ::send(socket, data, int(std::min<size_t>(size, 64 * 1024)), 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

// Re-encodes a UTF-8 fixture for the encoding its name asks for.
std::string Encode(const std::string& utf8, const std::string& name) {
    UINT codePage = 0;
    if (name.ends_with(".latin1.xml"))
        codePage = 28591;
    else if (name.ends_with(".cp1252.xml"))
        codePage = 1252;
    else if (name.ends_with(".sjis.xml"))
        codePage = 932;
    else if (name.ends_with(".eucjp.xml"))
        codePage = 20932;
    else if (!name.ends_with(".utf16.xml"))
        return utf8;
    int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), units);
    if (codePage == 0) {
        std::string bytes = "\xFF\xFE";
        for (wchar_t c : wide) {
            bytes.push_back(char(c & 0xFF));
            bytes.push_back(char((c >> 8) & 0xFF));
        }
        return bytes;
    }
    int size = ::WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string SmallFeed(const std::string& title) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>" + title +
           "</title><link>http://example.invalid/</link><description>Generated</description>"
           "<item><title>One</title><link>http://example.invalid/1</link></item></channel></rss>\n";
}

} // namespace

const std::string& FeedServer::BigFeed() {
    static const std::string feed = [] {
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                           "<title>Big feed</title><link>http://example.invalid/</link>"
                           "<description>About five megabytes of items</description>\n";
        char item[512];
        for (int i = 0; text.size() < 5 * 1024 * 1024; ++i) {
            std::snprintf(item, sizeof(item),
                          "<item><title>Item number %d</title><link>http://example.invalid/items/%d</link>"
                          "<pubDate>Sat, 05 Dec 2026 12:00:00 GMT</pubDate><description>Text of item %d, long "
                          "enough to look like a real summary of a news story with a sentence or two.</description>"
                          "</item>\n",
                          i, i, i);
            text += item;
        }
        return text + "</channel></rss>\n";
    }();
    return feed;
}

FeedServer::FeedServer(std::wstring fixtures) : fixtures_(std::move(fixtures)) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // the system picks a free port
    int length = sizeof(address);
    if (listener == INVALID_SOCKET || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, 64) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener != INVALID_SOCKET)
            ::closesocket(listener);
        return;
    }
    listener_ = listener;
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

FeedServer::~FeedServer() {
    ::SetEvent(stop_);
    if (running())
        ::closesocket(SOCKET(listener_));
    if (acceptThread_.joinable())
        acceptThread_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard guard(lock_);
        workers.swap(workers_);
    }
    for (auto& worker : workers)
        worker.join();
    ::CloseHandle(stop_);
    ::WSACleanup();
}

std::wstring FeedServer::Url(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

int FeedServer::RequestsFor(const std::string& path) {
    std::lock_guard guard(lock_);
    auto found = perPath_.find(path);
    return found == perPath_.end() ? 0 : found->second;
}

void FeedServer::AcceptLoop() {
    for (;;) {
        SOCKET client = ::accept(SOCKET(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        std::lock_guard guard(lock_);
        workers_.emplace_back([this, client] { Serve(client); });
    }
}

void FeedServer::Serve(uintptr_t socketValue) {
    SOCKET socket = SOCKET(socketValue);
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int got = ::recv(socket, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        request.append(buffer, size_t(got));
    }
    std::string path;
    std::istringstream(request) >> path >> path; // method, then the path
    ++requests_;
    {
        std::lock_guard guard(lock_);
        ++perPath_[path];
    }
    const int active = ++active_;
    for (int seen = maxActive_.load(); active > seen && !maxActive_.compare_exchange_weak(seen, active);)
        ;
    // A query string only makes addresses distinct; the answer depends on the path alone.
    std::string answer = Answer(path.substr(0, path.find('?')), socketValue);
    if (!answer.empty())
        SendAll(socket, answer.data(), answer.size());
    --active_;
    ::shutdown(socket, SD_SEND);
    ::closesocket(socket);
}

std::string FeedServer::Answer(const std::string& path, uintptr_t socketValue) {
    const std::string xml = "Content-Type: application/xml\r\n";
    if (path.rfind("/delay/", 0) == 0) {
        size_t cut = path.find('/', 7);
        int ms = std::atoi(path.substr(7, cut - 7).c_str());
        if (::WaitForSingleObject(stop_, DWORD(ms)) == WAIT_OBJECT_0)
            return {};
        return Answer(cut == std::string::npos ? "/" : path.substr(cut), socketValue);
    }
    if (path.rfind("/gate/", 0) == 0) {
        size_t cut = path.find('/', 6);
        const int gate = std::atoi(path.substr(6, cut - 6).c_str());
        while (openGates_.load() < gate)
            if (::WaitForSingleObject(stop_, 5) == WAIT_OBJECT_0)
                return {};
        return Answer(cut == std::string::npos ? "/" : path.substr(cut), socketValue);
    }
    if (path.rfind("/feeds/", 0) == 0 && !fixtures_.empty()) {
        std::string name = path.substr(7);
        if (name.find("..") != std::string::npos)
            return Response(403, "Forbidden", "", "");
        std::wstring file = fixtures_ + L"\\" + std::wstring(name.begin(), name.end());
        std::ifstream in(file.c_str(), std::ios::binary);
        if (!in)
            return Response(404, "Not Found", "", "missing");
        std::ostringstream content;
        content << in.rdbuf();
        const bool html = name.ends_with(".html");
        return Response(200, "OK", html ? "Content-Type: text/html\r\n" : xml, Encode(content.str(), name));
    }
    if (path == "/other-host") // the same server under another host name
        return Response(302, "Found", "Location: http://localhost:" + std::to_string(port_) + "/feeds/rss20.xml\r\n",
                        "");
    if (path.rfind("/redirect/", 0) == 0) {
        int left = std::atoi(path.substr(10).c_str());
        std::string next = left > 0 ? "/redirect/" + std::to_string(left - 1) : "/feeds/rss20.xml";
        return Response(302, "Found", "Location: " + next + "\r\n", "");
    }
    if (path.rfind("/status/", 0) == 0) {
        int code = std::atoi(path.substr(8).c_str());
        std::string headers = code == 401 ? "WWW-Authenticate: Basic realm=\"feeds\"\r\n" : "";
        return Response(code, "Status", headers, "<html><body>status</body></html>");
    }
    if (path == "/big.xml")
        return Response(200, "OK", xml, BigFeed());
    if (path == "/small.xml")
        return Response(200, "OK", xml, SmallFeed("Small feed"));
    if (path == "/trickle.xml") {
        SOCKET socket = SOCKET(socketValue);
        std::string head = "HTTP/1.1 200 OK\r\n" + xml + "Connection: close\r\n\r\n";
        SendAll(socket, head.data(), head.size());
        const std::string body = SmallFeed("Trickled feed");
        for (size_t at = 0; at < body.size(); at += 16) {
            if (!SendAll(socket, body.data() + at, std::min<size_t>(16, body.size() - at)) ||
                ::WaitForSingleObject(stop_, 10) == WAIT_OBJECT_0)
                break;
        }
        return {};
    }
    if (path == "/slow.xml") {
        ::WaitForSingleObject(stop_, 120000);
        return {};
    }
    if (path == "/stall.xml") {
        const std::string body = SmallFeed("Stalled feed");
        const std::string head = "HTTP/1.1 200 OK\r\n" + xml + "Content-Length: " + std::to_string(body.size()) +
                                 "\r\nConnection: close\r\n\r\n" + body.substr(0, body.size() / 2);
        SendAll(SOCKET(socketValue), head.data(), head.size());
        ::WaitForSingleObject(stop_, 120000);
        return {};
    }
    return Response(404, "Not Found", "", "unknown");
}

} // namespace testenv

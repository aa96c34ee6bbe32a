#include "modules/news/http_download.h"

#include <shlwapi.h>

#include <cstring>
#include <map>
#include <mutex>

namespace news {
namespace {

constexpr DWORD kOpenUrlFlags = INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_HYPERLINK |
                                INTERNET_FLAG_PRAGMA_NOCACHE; // 0x00400D00
constexpr DWORD kWaitStepMs = 1000;

// Live download objects by identity; the status callback acts only on objects found here.
class LiveDownloads {
public:
    static LiveDownloads& Instance() {
        static LiveDownloads registry;
        return registry;
    }
    std::recursive_mutex lock;
    std::map<DWORD_PTR, CHttpDownload*> objects;
    // Buffers of reads still pending when their object went away, until WinINet is done with them.
    std::map<DWORD_PTR, std::shared_ptr<CHttpDownload::ReadBuffer>> orphanedReads;
    DWORD_PTR nextId = 1; // 0 is the context of the session handle itself

    DWORD_PTR Register(CHttpDownload* object) {
        std::lock_guard guard(lock);
        const DWORD_PTR id = nextId++;
        objects.emplace(id, object);
        return id;
    }
};

} // namespace

bool IsNetworkConnected() {
    DWORD flags = 0;
    ::InternetGetConnectedState(&flags, 0);
    return (flags & (INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN)) != 0;
}

CHttpDownload::CHttpDownload(int group)
    : id_(LiveDownloads::Instance().Register(this)), completion_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    lastModified.wYear = 0xFFFF;
    slot_.group = group;
}

CHttpDownload::~CHttpDownload() {
    {
        // Before the handles close, so that the end of a pending call finds its buffer among the orphans.
        auto& live = LiveDownloads::Instance();
        std::lock_guard guard(live.lock);
        live.objects.erase(id_);
        if (pending_)
            live.orphanedReads.emplace(id_, readBuffer_);
    }
    Close();
}

void CALLBACK CHttpDownload::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
    if (status != INTERNET_STATUS_REQUEST_COMPLETE && status != INTERNET_STATUS_HANDLE_CLOSING)
        return;
    auto& live = LiveDownloads::Instance();
    std::lock_guard guard(live.lock);
    // The call that was pending when its object went away is over: its buffer is free.
    if (live.orphanedReads.erase(context) != 0)
        return;
    const auto found = live.objects.find(context);
    if (found == live.objects.end())
        return;
    // Either way WinINet is done with the call in progress.
    CHttpDownload* self = found->second;
    self->pending_ = false;
    if (status != INTERNET_STATUS_REQUEST_COMPLETE || !info)
        return;
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
    self->asyncError_ = result->dwError;
    if (result->dwError == 0) {
        self->asyncResult_ = result->dwResult;
        // 1 is the success value of a call that creates no handle (a read, a send).
        if (result->dwResult != 1)
            self->request_ = reinterpret_cast<HINTERNET>(result->dwResult);
    }
    ::SetEvent(self->completion_.get());
}

bool CHttpDownload::OpenSession(const CancelFlag& cancel) {
    session_ = ::InternetOpenW(L"Microsoft Internet Explorer", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                               INTERNET_FLAG_ASYNC);
    if (!session_)
        return true;
    // The callback stays installed until the session is closed: children inherit it, and a read given up on
    // must still report its end so that its buffer can go.
    ::InternetSetStatusCallbackW(session_, &CHttpDownload::StatusCallback);
    if (ignoreLimit_ == 0 && !TakeServerSlot(host_, scheme_, cancel, slot_)) {
        Close();
        return false;
    }
    return true;
}

void CHttpDownload::SetPending(bool pending) {
    std::lock_guard guard(LiveDownloads::Instance().lock);
    pending_ = pending;
    if (pending)
        asyncError_ = 0;
}

bool CHttpDownload::StartOpenUrl(const std::wstring& url, DWORD flags) {
    ::ResetEvent(completion_.get());
    SetPending(true);
    HINTERNET handle = ::InternetOpenUrlW(session_, url.c_str(), nullptr, 0, flags, id_);
    const DWORD error = handle ? ERROR_SUCCESS : ::GetLastError();
    if (error == ERROR_IO_PENDING)
        return true;
    // Completed at once, or refused outright (a finished request without a handle): no callback follows, so
    // record it as the callback would.
    std::lock_guard guard(LiveDownloads::Instance().lock);
    pending_ = false;
    if (handle)
        request_ = handle;
    ::SetEvent(completion_.get());
    return true;
}

int CHttpDownload::FailedRequestResult() const {
    return IsNetworkConnected() ? kRequestFailed : kNotConnected;
}

CHttpDownload::Examination CHttpDownload::ExamineResponse() {
    if (!request_)
        return Examination::Finished;
    DWORD status = 0;
    DWORD size = sizeof(status);
    ::HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    if (status == 200) {
        size = sizeof(lastModified);
        if (!::HttpQueryInfoW(request_, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &lastModified, &size,
                              nullptr))
            lastModified.wYear = 0xFFFF;
        DWORD length = 0;
        size = sizeof(length);
        contentLength =
            ::HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)
                ? int32_t(length)
                : -1;
        return Examination::Finished;
    }
    if (status == 401 && userName.size() < 80 && password.size() < 80) {
        ::InternetSetOptionW(request_, INTERNET_OPTION_USERNAME, const_cast<wchar_t*>(userName.c_str()),
                             DWORD(userName.size() + 1));
        ::InternetSetOptionW(request_, INTERNET_OPTION_PASSWORD, const_cast<wchar_t*>(password.c_str()),
                             DWORD(password.size() + 1));
        return Examination::SendAgain;
    }
    CloseRequest();
    return Examination::Finished;
}

int CHttpDownload::Open(const std::wstring& url, const CancelFlag& cancel, bool allowCacheWrite) {
    if (!IsNetworkConnected())
        return kNotConnected;
    if (url.compare(0, 5, L"file:") == 0)
        return kBadUrl;
    wchar_t canonical[2084] = {};
    DWORD length = ARRAYSIZE(canonical);
    if (FAILED(::UrlCanonicalizeW(url.c_str(), canonical, &length, URL_ESCAPE_UNSAFE | URL_DONT_SIMPLIFY)))
        return kBadUrl;
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    wchar_t user[INTERNET_MAX_USER_NAME_LENGTH + 1] = {};
    wchar_t pass[INTERNET_MAX_PASSWORD_LENGTH + 1] = {};
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUserName = user;
    parts.dwUserNameLength = ARRAYSIZE(user);
    parts.lpszPassword = pass;
    parts.dwPasswordLength = ARRAYSIZE(pass);
    if (!::InternetCrackUrlW(canonical, 0, 0, &parts))
        return kBadUrl;
    host_ = host;
    urlUserName_ = user;
    urlPassword_ = pass;
    scheme_ = parts.nScheme;
    port_ = parts.nPort;
    if (scheme_ != INTERNET_SCHEME_FTP && scheme_ != INTERNET_SCHEME_HTTP && scheme_ != INTERNET_SCHEME_HTTPS)
        return kBadUrl;

    CloseRequest();
    if (!session_ && !OpenSession(cancel))
        return kCancelled;
    if (!session_)
        return kBadUrl;

    StartOpenUrl(canonical, allowCacheWrite ? kOpenUrlFlags : kOpenUrlFlags | INTERNET_FLAG_NO_CACHE_WRITE);
    asyncResult_ = 0;
    bool sentAgain = false;
    while (cancel.load() != 1) {
        if (::WaitForSingleObject(completion_.get(), kWaitStepMs) != WAIT_OBJECT_0)
            continue;
        if (asyncError_ == ERROR_INTERNET_TIMEOUT) {
            ::Sleep(1000);
            StartOpenUrl(canonical, kOpenUrlFlags);
            continue;
        }
        if (ExamineResponse() == Examination::Finished) {
            if (cancel.load() == 1)
                return kCancelled;
            return request_ ? kOpened : FailedRequestResult();
        }
        if (sentAgain)
            break;
        sentAgain = true;
        ::ResetEvent(completion_.get());
        SetPending(true);
        if (!::HttpSendRequestExW(request_, nullptr, nullptr, HSR_ASYNC, id_) && ::GetLastError() != ERROR_IO_PENDING) {
            SetPending(false);
            ::SetEvent(completion_.get());
        }
    }
    CloseRequest();
    if (cancel.load() == 1)
        return kCancelled;
    return FailedRequestResult();
}

int CHttpDownload::Read(void* buffer, DWORD size, const CancelFlag& cancel) {
    if (!session_ || !request_)
        return -1;
    {
        // A read given up on earlier may still write into the buffer; nothing more can be read then.
        std::lock_guard guard(LiveDownloads::Instance().lock);
        if (pending_)
            return -1;
    }
    ReadBuffer& read = *readBuffer_;
    if (read.bytes.size() < size)
        read.bytes.resize(size);
    read.count = 0;
    ::ResetEvent(completion_.get());
    SetPending(true);
    if (::InternetReadFile(request_, read.bytes.data(), size, &read.count)) {
        SetPending(false);
        std::memcpy(buffer, read.bytes.data(), read.count);
        return int(read.count);
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        SetPending(false);
        return -1;
    }
    // From here the buffer belongs to WinINet until the completion arrives.
    if (cancel.load() == 1)
        return -1;
    while (::WaitForSingleObject(completion_.get(), kWaitStepMs) != WAIT_OBJECT_0)
        if (cancel.load() == 1)
            return -1;
    if (asyncError_ != 0)
        return -1;
    std::memcpy(buffer, read.bytes.data(), read.count);
    return int(read.count);
}

void CHttpDownload::CloseRequest() {
    HINTERNET request;
    {
        std::lock_guard guard(LiveDownloads::Instance().lock);
        request = std::exchange(request_, nullptr);
    }
    if (request)
        ::InternetCloseHandle(request);
}

void CHttpDownload::Close() {
    CloseRequest();
    if (session_)
        ::InternetCloseHandle(std::exchange(session_, nullptr));
    GiveBackServerSlot(slot_);
}

} // namespace news

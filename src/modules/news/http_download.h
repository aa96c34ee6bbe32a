// One download over WinINet in asynchronous mode. Every call that completes later reports through the status
// callback. Each download has an identity of its own, handed to WinINet as the context; the callback finds the
// object by it in a process-wide registry of live downloads (so a completion that arrives after the object is
// gone, or after another object took its address, is dropped) and sets the object's completion event. The worker
// thread waits for that event in steps of one second and checks the caller's cancel flag between steps.
//
// A read that is still pending when the caller gives up keeps writing into its buffer whenever WinINet gets to
// it, so reads go through a buffer of the download's own that the registry keeps alive until WinINet reports the
// read complete or the handle closed, however long the object itself lives.
#pragma once
#include "modules/news/server_slots.h"
#include "win32/handle.h"

#include <windows.h>
#include "win32/internet.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace news {

// A 32-bit flag the caller owns; 1 asks the download to stop.
using CancelFlag = std::atomic<int32_t>;

// Whether the system reports a modem or LAN connection.
bool IsNetworkConnected();

struct InternetHandleTraits {
    using pointer = HINTERNET;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::InternetCloseHandle(h); }
};
using InternetHandle = win32::UniqueHandle<InternetHandleTraits>;

class CHttpDownload {
public:
    // Results of Open.
    enum OpenResult { kOpened = 0, kNotConnected = 1, kRequestFailed = 2, kBadUrl = 3, kCancelled = 4 };

    explicit CHttpDownload(int group);
    ~CHttpDownload();
    CHttpDownload(const CHttpDownload&) = delete;
    CHttpDownload& operator=(const CHttpDownload&) = delete;

    int Open(const std::wstring& url, const CancelFlag& cancel, bool allowCacheWrite);
    // Bytes read (0 at the end of the data), or -1 on an error or when cancelled. WinINet never sees `buffer`.
    int Read(void* buffer, DWORD size, const CancelFlag& cancel);
    void CloseRequest();
    void Close();

    // Credentials offered when the server answers 401; empty unless a caller sets them.
    std::wstring userName, password;
    SYSTEMTIME lastModified = {};
    int32_t contentLength = -1;

    // What an asynchronous read writes into; shared with the registry while the read may be pending.
    struct ReadBuffer {
        std::vector<char> bytes;
        DWORD count = 0;
    };

private:
    enum class Examination { Finished, SendAgain };

    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                        DWORD infoLength);
    bool OpenSession(const CancelFlag& cancel);
    bool StartOpenUrl(const std::wstring& url, DWORD flags);
    // Marks an asynchronous call as started or over (starting also clears the last error).
    void SetPending(bool pending);
    Examination ExamineResponse();
    int FailedRequestResult() const;

    const DWORD_PTR id_; // the WinINet context of every call
    HINTERNET session_ = nullptr;
    HINTERNET request_ = nullptr;
    win32::KernelHandle completion_;
    std::wstring host_, urlUserName_, urlPassword_;
    int scheme_ = 0;
    INTERNET_PORT port_ = 0;
    DWORD_PTR asyncResult_ = 0;
    DWORD asyncError_ = 0;
    ServerSlot slot_;
    int ignoreLimit_ = 0;
    std::shared_ptr<ReadBuffer> readBuffer_ = std::make_shared<ReadBuffer>();
    bool pending_ = false; // an asynchronous call has not completed yet; under the registry's lock
};

} // namespace news

// The named mutexes of the news files, shared with the display program and other runs of this program.
#pragma once
#include "win32/named_mutex.h"

#include <atomic>
#include <cstdint>

namespace news {

using win32::ScopedNamedMutex;

inline constexpr wchar_t kChannelListMutex[] = L"Local\\TesselOPMLFile050805MO";
inline constexpr wchar_t kAdditionalFeedsMutex[] = L"Local\\AdditionalRSSFeeds050805MO";
inline constexpr wchar_t kAddSiteMutex[] = L"Local\\TesselSettingApp_AddRSS_MO";

// A named mutex waited for in half-second steps, for a worker whose caller may ask it to stop meanwhile; owned()
// is false when the flag is 1 by the time the wait ends. An abandoned mutex counts as owned, as with
// ScopedNamedMutex.
class CancellableNamedMutex {
public:
    CancellableNamedMutex(const wchar_t* name, const std::atomic<int32_t>& cancel)
        : mutex_(::CreateMutexW(nullptr, FALSE, name)) {
        while (mutex_) {
            const DWORD waited = ::WaitForSingleObject(mutex_.get(), 500);
            if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
                owned_ = cancel.load() != 1;
                if (!owned_)
                    ::ReleaseMutex(mutex_.get());
                return;
            }
            if (waited == WAIT_FAILED || cancel.load() == 1)
                return;
        }
    }
    ~CancellableNamedMutex() {
        if (owned_)
            ::ReleaseMutex(mutex_.get());
    }
    CancellableNamedMutex(const CancellableNamedMutex&) = delete;
    CancellableNamedMutex& operator=(const CancellableNamedMutex&) = delete;
    bool owned() const { return owned_; }

private:
    win32::KernelHandle mutex_;
    bool owned_ = false;
};

} // namespace news

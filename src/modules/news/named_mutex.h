// A named kernel mutex shared with other processes, held for the life of the object. The wait has no time-out:
// the files it guards are only ever held for one load-modify-save. A mutex abandoned by a killed process is
// owned by the next waiter, which is what lets the next run go on after a kill.
#pragma once
#include "win32/handle.h"

namespace news {

class ScopedNamedMutex {
public:
    explicit ScopedNamedMutex(const wchar_t* name) : mutex_(::CreateMutexW(nullptr, FALSE, name)) {
        if (mutex_)
            owned_ = ::WaitForSingleObject(mutex_.get(), INFINITE) != WAIT_FAILED;
    }
    ~ScopedNamedMutex() { Release(); }
    ScopedNamedMutex(const ScopedNamedMutex&) = delete;
    ScopedNamedMutex& operator=(const ScopedNamedMutex&) = delete;
    void Release() {
        if (owned_)
            ::ReleaseMutex(mutex_.get());
        owned_ = false;
    }

private:
    win32::KernelHandle mutex_;
    bool owned_ = false;
};

inline constexpr wchar_t kChannelListMutex[] = L"Local\\TesselOPMLFile050805MO";
inline constexpr wchar_t kAdditionalFeedsMutex[] = L"Local\\AdditionalRSSFeeds050805MO";
inline constexpr wchar_t kAddSiteMutex[] = L"Local\\TesselSettingApp_AddRSS_MO";

} // namespace news

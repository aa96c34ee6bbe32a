// A named kernel mutex shared with other processes, held for the life of the object (or until Release). The
// wait has no time-out: the files such a mutex guards are only ever held for one load-modify-save. A mutex
// abandoned by a killed process is owned by the next waiter, and the file is still whole (atomic writes), which is
// what lets the next run go on after a kill.
#pragma once
#include "win32/handle.h"

namespace win32 {

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
    KernelHandle mutex_;
    bool owned_ = false;
};

} // namespace win32

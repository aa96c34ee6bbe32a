// A value per window kept in the process, for lookups on every message: a window property is a server call under
// Wine, this is a hash lookup. Whoever sets a value erases it when the window goes (WM_NCDESTROY), so a handle
// that the system reuses never finds the old window's value.
#pragma once
#include <windows.h>

#include <optional>
#include <unordered_map>

namespace win32 {

template <typename Value> class WindowTable {
public:
    std::optional<Value> Find(HWND window) const {
        std::optional<Value> value;
        Read(window, [&value](const Value& found) { value = found; });
        return value;
    }
    // Calls `read` with the window's value, if it has one, under the table's lock.
    template <typename Reader> void Read(HWND window, Reader read) const {
        ::AcquireSRWLockShared(&lock_);
        if (const auto found = values_.find(window); found != values_.end())
            read(found->second);
        ::ReleaseSRWLockShared(&lock_);
    }
    void Set(HWND window, Value value) {
        Update(window, [&value](Value& stored) { stored = std::move(value); });
    }
    // Calls `update` with the window's value (a new one made with Value's default constructor when it has none)
    // under the table's lock.
    template <typename Updater> void Update(HWND window, Updater update) {
        ::AcquireSRWLockExclusive(&lock_);
        update(values_[window]);
        ::ReleaseSRWLockExclusive(&lock_);
    }
    void Erase(HWND window) {
        ::AcquireSRWLockExclusive(&lock_);
        values_.erase(window);
        ::ReleaseSRWLockExclusive(&lock_);
    }

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::unordered_map<HWND, Value> values_;
};

} // namespace win32

#include "pages/news/server_slots.h"

#include "win32/handle.h"

#include "win32/internet.h"

#include <map>
#include <memory>
#include <mutex>

namespace news {

struct ServerSlotEntry {
    std::mutex lock;
    int count = 0;
    // Signalled while count is below the limit.
    win32::KernelHandle belowLimit{::CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};

namespace {

int SchemeKind(int scheme) {
    return scheme == INTERNET_SCHEME_HTTPS ? INTERNET_SCHEME_HTTP : scheme;
}

// Entries live as long as the process, so a held slot can point at its entry.
class ServerSlotTable {
public:
    static ServerSlotTable& Instance() {
        static ServerSlotTable table;
        return table;
    }
    ServerSlotEntry& Find(const std::wstring& host, int scheme) {
        std::lock_guard guard(lock_);
        auto& entry = entries_[{host, SchemeKind(scheme)}];
        if (!entry)
            entry = std::make_unique<ServerSlotEntry>();
        return *entry;
    }

private:
    std::mutex lock_;
    std::map<std::pair<std::wstring, int>, std::unique_ptr<ServerSlotEntry>> entries_;
};

} // namespace

bool TakeServerSlot(const std::wstring& host, int scheme, const std::atomic<int32_t>& cancel, ServerSlot& slot) {
    ServerSlotEntry& entry = ServerSlotTable::Instance().Find(host, scheme);
    for (;;) {
        if (::WaitForSingleObject(entry.belowLimit.get(), 500) == WAIT_OBJECT_0) {
            std::lock_guard guard(entry.lock);
            if (entry.count < kSessionsPerServer) {
                if (++entry.count == kSessionsPerServer)
                    ::ResetEvent(entry.belowLimit.get());
                slot.entry = &entry;
                slot.group = -1;
                return true;
            }
        }
        if (cancel.load() == 1)
            return false;
    }
}

void GiveBackServerSlot(ServerSlot& slot) {
    if (!slot.entry)
        return;
    {
        std::lock_guard guard(slot.entry->lock);
        if (slot.entry->count == kSessionsPerServer)
            ::SetEvent(slot.entry->belowLimit.get());
        --slot.entry->count;
    }
    slot.entry = nullptr;
}

int OpenSessionsOf(const std::wstring& host, int scheme) {
    ServerSlotEntry& entry = ServerSlotTable::Instance().Find(host, scheme);
    std::lock_guard guard(entry.lock);
    return entry.count;
}

} // namespace news

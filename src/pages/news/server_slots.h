// At most four open download sessions per server (host and scheme kind, HTTPS counted as HTTP) across all
// threads of the process. A session takes a slot before it connects and gives it back when it closes.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

namespace news {

inline constexpr int kSessionsPerServer = 4;

struct ServerSlotEntry;

// A held slot; empty when none is held.
struct ServerSlot {
    ServerSlotEntry* entry = nullptr;
    int group = -1; // numbered groups with limits of their own; nothing here registers one
};

// Waits for a free slot of (host, scheme kind), polling `cancel` every 500 ms; false (no slot) when cancelled.
bool TakeServerSlot(const std::wstring& host, int scheme, const std::atomic<int32_t>& cancel, ServerSlot& slot);
void GiveBackServerSlot(ServerSlot& slot);
// Sessions open now against (host, scheme kind); for tests.
int OpenSessionsOf(const std::wstring& host, int scheme);

} // namespace news

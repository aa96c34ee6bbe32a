// What the benchmarks wait for: the started process's settings-window-class window visible, its OK button
// enabled (every page created and loaded), and no window of that thread with anything left to paint. Only the
// process's main thread's windows are looked at, so the wait does not slow the process it times.
#pragma once
#include <windows.h>

#include <string>

namespace bench {

// Milliseconds from CreateProcess until the window is ready; the process is then closed. Negative on failure.
double TimeUntilReady(const std::wstring& exe, const std::wstring& arguments = {}, DWORD timeoutMs = 600000);

} // namespace bench

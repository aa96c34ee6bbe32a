// What the benchmarks wait for: the started process's settings-window-class window visible, its OK button
// enabled (every page created and loaded), and no window of that thread with anything left to paint. Only the
// process's main thread's windows are looked at, so the wait does not slow the process it times.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace bench {

// Milliseconds from CreateProcess until the window is ready, looked for every `pollMs`; `whenReady` (if any) is
// then called with the process and its main thread's ids, and the process is closed and waited for. Negative on
// failure.
double TimeUntilReady(const std::wstring& exe, const std::wstring& arguments = {}, DWORD timeoutMs = 600000,
                      const std::function<void(DWORD processId, DWORD threadId)>& whenReady = {}, DWORD pollMs = 2);

} // namespace bench

#include "shell/display_link.h"

#include "shell/folders.h"
#include "win32/atomic_file.h"

namespace shell {

UINT CommonMessage() {
    static const UINT message = ::RegisterWindowMessageW(kCommonMessageName);
    return message;
}

void WriteChangedModulesFile(const std::vector<std::wstring>& modules, int timerChanged) {
    if (modules.empty() && timerChanged != 1)
        return;
    std::wstring folder = GetModulesFolder(true, L"");
    if (folder.empty())
        return;
    // Replaced in one step, so the display program never reads a cut-off list.
    win32::WriteFileAtomically(folder + L"\\" + kChangedModulesFileName,
                               BuildChangedModulesFile(modules, timerChanged));
}

void BroadcastCode(WPARAM code) {
    ::PostMessageW(HWND_BROADCAST, CommonMessage(), code, 0);
}

void ForceForeground(HWND window) {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == window)
        return;
    const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    const DWORD ownThread = ::GetCurrentThreadId();
    if (foregroundThread == ownThread || foregroundThread == 0) {
        ::SetForegroundWindow(window);
        return;
    }
    ::AttachThreadInput(ownThread, foregroundThread, TRUE);
    DWORD lockTimeout = 0;
    ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockTimeout, 0);
    ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    ::SetForegroundWindow(window);
    ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(uintptr_t(lockTimeout)), 0);
    ::AttachThreadInput(ownThread, foregroundThread, FALSE);
}

} // namespace shell

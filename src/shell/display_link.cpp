#include "shell/display_link.h"

#include "shell/folders.h"
#include "win32/handle.h"

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
    const std::wstring path = folder + L"\\" + kChangedModulesFileName;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    win32::FileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    const std::string bytes = BuildChangedModulesFile(modules, timerChanged);
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
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

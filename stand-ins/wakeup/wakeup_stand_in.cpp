// Stands in for the wake-up program "Wakeup.exe": a hidden window that records that it started and that it
// heard the "timer switched off" code of the common message, then ends on that code. Records are lines of
// "wakeup.log" in the folder named by HKCU\Software\SkylumeStandIns\Wakeup "LogFolder", or beside this program.
#include <windows.h>

#include <string>

namespace {

constexpr WPARAM kTimerSwitchedOff = 0xABE00004;
UINT g_commonMessage = 0;

std::wstring LogFile() {
    wchar_t folder[MAX_PATH] = {};
    DWORD size = sizeof(folder);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\Wakeup", L"LogFolder", RRF_RT_REG_SZ, nullptr,
                       folder, &size) == ERROR_SUCCESS)
        return std::wstring(folder) + L"\\wakeup.log";
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\')) + L"\\wakeup.log";
}

void Record(const char* line) {
    HANDLE file = ::CreateFileW(LogFile().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, line, DWORD(strlen(line)), &written, nullptr);
    ::WriteFile(file, "\r\n", 2, &written, nullptr);
    ::CloseHandle(file);
}

LRESULT CALLBACK WakeupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_commonMessage && g_commonMessage != 0) {
        if (wParam == kTimerSwitchedOff) {
            Record("heard 0xABE00004");
            ::DestroyWindow(window);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    g_commonMessage = ::RegisterWindowMessageW(L"TesselCommonMessage0504190");
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WakeupProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"SkylumeWakeupStandIn";
    ::RegisterClassW(&windowClass);
    // A top-level window (not message-only), so broadcasts reach it.
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Wakeup", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, instance, nullptr);
    if (!window)
        return 1;
    Record("started");
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

// Stands in for the display program: a hidden top-level window that registers the common message and records
// every code it receives, together with a copy of the changed-modules file as it was at that moment.
//
// Records go to the folder given by "--log <folder>", or else to "monitor" beside this executable:
//   codes.txt   one line per code, "0xABE00001 cmf-1.dat" (or "-" when no changed-modules file existed)
//   cmf-N.dat   the copy taken when the N-th code arrived
// A test posts the "SkylumeMonitorSync" message after the codes it waits for and then waits for the event
// "SkylumeMonitorSynced": messages are handled in order, so every code posted before is then recorded.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cstdio>
#include <string>

namespace {

std::wstring g_logFolder;
UINT g_commonMessage = 0;
UINT g_syncMessage = 0;
int g_received = 0;

std::wstring ChangedModulesFile() {
    wchar_t appData[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE))
        return {};
    return std::wstring(appData) + L"\\Quillon\\Skylume\\Modules\\cmf.dat";
}

void Record(WPARAM code) {
    ++g_received;
    std::wstring copyName = L"cmf-" + std::to_wstring(g_received) + L".dat";
    const std::wstring source = ChangedModulesFile();
    bool copied = !source.empty() && ::CopyFileW(source.c_str(), (g_logFolder + L"\\" + copyName).c_str(), FALSE);
    wchar_t line[128];
    swprintf(line, 128, L"0x%08lX %ls\r\n", static_cast<unsigned long>(code), copied ? copyName.c_str() : L"-");
    HANDLE file = ::CreateFileW((g_logFolder + L"\\codes.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char ascii[128];
    int length = ::WideCharToMultiByte(CP_ACP, 0, line, -1, ascii, sizeof(ascii), nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file, ascii, DWORD(length > 0 ? length - 1 : 0), &written, nullptr);
    ::CloseHandle(file);
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_commonMessage && g_commonMessage != 0) {
        Record(wParam);
        return 0;
    }
    if (message == g_syncMessage && g_syncMessage != 0) {
        if (HANDLE synced = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"SkylumeMonitorSynced")) {
            ::SetEvent(synced);
            ::CloseHandle(synced);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::wstring DefaultLogFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\')) + L"\\monitor";
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    g_logFolder = DefaultLogFolder();
    for (int i = 1; argv && i + 1 < argc; ++i)
        if (std::wstring(argv[i]) == L"--log")
            g_logFolder = argv[i + 1];
    ::LocalFree(argv);
    ::SHCreateDirectoryExW(nullptr, g_logFolder.c_str(), nullptr);

    g_commonMessage = ::RegisterWindowMessageW(L"TesselCommonMessage0504190");
    g_syncMessage = ::RegisterWindowMessageW(L"SkylumeMonitorSync");
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MonitorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"SkylumeDisplayMonitor";
    ::RegisterClassW(&windowClass);
    // A top-level window (not message-only), so that broadcasts reach it.
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"Skylume display monitor", WS_POPUP,
                                    0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}

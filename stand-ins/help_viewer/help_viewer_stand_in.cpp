// Stand-in for the HTML Help viewer (hhctrl.ocx), placed beside the program under test only. It appends every
// file::topic it is asked to display to the log file named by HKCU\Software\SkylumeStandIns\HelpViewer "Log", and
// shows a window titled with it, so tests see which topic a page asked for (Wine's viewer shows no page without
// its HTML engine).
#include <windows.h>

#include <string>

namespace {

constexpr UINT kDisplayTopic = 0x0000; // HH_DISPLAY_TOPIC
constexpr wchar_t kWindowClass[] = L"SkylumeHelpViewerStandIn";

std::wstring LogPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\HelpViewer", L"Log", RRF_RT_REG_SZ, nullptr,
                       path, &size) != ERROR_SUCCESS)
        return L"";
    return path;
}

void Record(const std::wstring& target) {
    const std::wstring log = LogPath();
    if (log.empty())
        return;
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::wstring line = target + L"\r\n";
    char utf8[2048];
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), utf8, sizeof(utf8), nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file, utf8, DWORD(bytes), &written, nullptr);
    ::CloseHandle(file);
}

HWND ShowViewer(const std::wstring& target, HWND owner) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        registered = ::RegisterClassW(&windowClass) != 0;
    }
    HWND viewer = ::FindWindowW(kWindowClass, nullptr);
    if (!viewer)
        viewer = ::CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, owner, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowTextW(viewer, target.c_str());
    ::ShowWindow(viewer, SW_SHOWNA);
    return viewer;
}

} // namespace

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpW(HWND caller, const wchar_t* file, UINT command, DWORD_PTR) {
    if (command != kDisplayTopic || !file)
        return nullptr;
    Record(file);
    return ShowViewer(file, caller);
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpA(HWND, const char*, UINT, DWORD_PTR) {
    return nullptr;
}

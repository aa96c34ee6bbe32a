#include "ready_window.h"

namespace bench {
namespace {

struct Search {
    HWND window = nullptr;
    bool pendingPaint = false;
};

// Whether a visible window below `parent` has anything left to paint. A hidden window's subtree is skipped: its
// windows cannot be visible (a page of 1,000 items waiting behind the shown one costs nothing to look at).
bool PendingPaintBelow(HWND parent) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        if (::GetUpdateRect(child, nullptr, FALSE) || PendingPaintBelow(child))
            return true;
    }
    return false;
}

BOOL CALLBACK InspectThreadWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!::IsWindowVisible(window))
        return TRUE;
    if (::GetUpdateRect(window, nullptr, FALSE) || PendingPaintBelow(window))
        search->pendingPaint = true;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) == L"TesselSetting0505301612" && ::IsWindowEnabled(::GetDlgItem(window, IDOK)))
        search->window = window;
    return TRUE;
}

} // namespace

double TimeUntilReady(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs,
                      const std::function<void(DWORD processId, DWORD threadId)>& whenReady, DWORD pollMs) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return -1;
    Search search;
    const DWORD start = ::GetTickCount();
    for (;;) {
        search = Search{};
        ::EnumThreadWindows(info.dwThreadId, InspectThreadWindow, reinterpret_cast<LPARAM>(&search));
        if (search.window && !search.pendingPaint)
            break;
        if (::GetTickCount() - start > timeoutMs || ::WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0)
            break;
        ::Sleep(pollMs);
    }
    ::QueryPerformanceCounter(&end);
    const bool ready = search.window && !search.pendingPaint;
    if (ready && whenReady)
        whenReady(info.dwProcessId, info.dwThreadId);
    if (search.window)
        ::PostMessageW(search.window, WM_COMMAND, IDCANCEL, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return ready ? double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart) : -1;
}

} // namespace bench

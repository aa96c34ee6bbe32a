// A process with a top-level window that ignores WM_CLOSE, for tests of ending processes by force.
#include <windows.h>

static LRESULT CALLBACK StubbornProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        return 0;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StubbornProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"SkylumeTestStubbornWindow";
    ::RegisterClassW(&windowClass);
    ::CreateWindowW(L"SkylumeTestStubbornWindow", L"stubborn", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                    nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}

// Shows one skinned message box with a language library as the active resources, for screenshots:
//   velour_box_demo <language library> [rect file]
// With a rect file, the box's screen rectangle is written there ("x y width height") once it is drawn, and the
// box closes itself when the caller deletes the file again. The exit code is the pressed button's id.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <thread>

#include "res/resource.h"
#include "velour/velour_message_box.h"
#include "win32/app.h"
#include "win32/handle.h"

namespace {
BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void ReportAndCloseWhenDone(DWORD threadId, std::wstring rectFile) {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
        ::Sleep(20);
        ::EnumThreadWindows(threadId, FindBox, reinterpret_cast<LPARAM>(&box));
    }
    if (!box)
        return;
    ::Sleep(700); // let the box and its buttons paint
    RECT rect;
    ::GetWindowRect(box, &rect);
    std::wstring temporary = rectFile + L".tmp";
    if (FILE* file = ::_wfopen(temporary.c_str(), L"w")) {
        std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        std::fclose(file);
        ::MoveFileExW(temporary.c_str(), rectFile.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    for (int i = 0; i < 3000 && ::GetFileAttributesW(rectFile.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(20);
    ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 2)
        return 1;
    win32::Module library(::LoadLibraryExW(arguments[1], nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!library)
        return 2;
    win32::WinApp app;
    app.setResourceHandle(library.get());
    std::wstring rectFile = count > 2 ? arguments[2] : L"";
    ::LocalFree(arguments);
    ::InitCommonControls();

    std::thread reporter;
    if (!rectFile.empty())
        reporter = std::thread(ReportAndCloseWhenDone, ::GetCurrentThreadId(), rectFile);
    // The box the program shows when a page cannot load, with the full Yes/No/Cancel set to show every button look.
    int result = VelourMessageBox(win32::LoadResString(IDS_PAGE_LOAD_FAILED).c_str(), L"Skylume",
                                  MB_YESNOCANCEL | MB_ICONEXCLAMATION, nullptr);
    if (reporter.joinable())
        reporter.join();
    return result;
}

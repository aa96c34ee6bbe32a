// The baseline of the start-up benchmark: loads the same language library as the settings program and shows the
// settings window's own template, with nothing in it, then waits to be closed.
//
// With "--pages" it first creates every page template the settings window creates at start, hidden, with a
// window procedure that does nothing: what the platform alone costs to build those controls, without skinning,
// data files or any page logic.
#include "resource.h"

#include <windows.h>

#include <string>

static INT_PTR CALLBACK EmptyDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if ((message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) || message == WM_CLOSE) {
        ::DestroyWindow(window);
        return TRUE;
    }
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return message == WM_INITDIALOG;
}

static INT_PTR CALLBACK EmptyPageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// The program's own control classes that page templates name, as windows that do nothing: without them the
// dialog manager refuses the whole template.
static void RegisterTemplateClasses(HINSTANCE instance) {
    for (const wchar_t* name : {L"ImageControlClass", L"LinkControlClass"}) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = name;
        ::RegisterClassW(&windowClass);
    }
}

// False when a page template could not be created, so that the benchmark never measures a floor with a page
// missing.
static bool CreatePageTemplates(HINSTANCE instance, HMODULE resources, HWND dialog) {
    RegisterTemplateClasses(instance);
    // In the order the settings window creates its pages.
    const int pages[] = {IDD_PAGE_GENERAL,  IDD_PAGE_DISPLAY,      IDD_PAGE_WAKEUP,        IDD_PAGE_VERSION,
                         IDD_PAGE_PHOTO,    IDD_PAGE_NEWS_OPTIONS, IDD_PAGE_NEWS_REGISTER, IDD_PAGE_CLOCK,
                         IDD_PAGE_CALENDAR, IDD_PAGE_MUSIC,        IDD_PAGE_VISUALIZER};
    for (int id : pages) {
        HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
        if (!found)
            return false;
        auto* pageTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(resources, found)));
        if (!::CreateDialogIndirectParamW(instance, pageTemplate, dialog, EmptyPageProc, 0))
            return false;
    }
    return true;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    HMODULE resources = ::LoadLibraryW((folder + L"\\DaystreamSetting_usa.dll").c_str());
    if (!resources)
        return 1;
    WNDCLASSW windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ::DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"TesselSetting0505301612";
    ::RegisterClassW(&windowClass);
    HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(129), MAKEINTRESOURCEW(5));
    auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(resources, found)));
    HWND dialog = ::CreateDialogIndirectParamW(instance, dialogTemplate, nullptr, EmptyDialogProc, 0);
    if (!dialog)
        return 1;
    if (commandLine && std::wstring(commandLine).find(L"--pages") != std::wstring::npos &&
        !CreatePageTemplates(instance, resources, dialog))
        return 1;
    ::ShowWindow(dialog, SW_SHOWNORMAL);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    ::FreeLibrary(resources);
    return 0;
}

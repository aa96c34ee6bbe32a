// For screenshots, driving a running settings window from outside:
//   show_category INDEX          selects category INDEX (-1 the last) and prints "x y width height title" of the window
//   show_category buttons INDEX  prints the ids of the page's buttons that open a dialog (text ending in "...")
//   show_category open INDEX ID  presses that button and prints "x y width height title" of the dialog it opened
//                                (exit 3 when nothing, or only a system file or folder dialog, opened)
//   show_category click INDEX ID presses the control ID of category INDEX's page (a check box, say)
//   show_category dismiss        cancels the dialog open over the settings window
//   show_category close          cancels the settings window and waits until it is gone
//   show_category ok             presses OK in the settings window and waits until it is gone
// Exit 2 when INDEX is past the last category.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kSettingsClass[] = L"TesselSetting0505301612";

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

void PrintGeometry(HWND window, const std::wstring& title) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld %ls\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                title.c_str());
}

HWND WaitForSettings() {
    HWND window = nullptr;
    for (int i = 0; i < 300 && !(window && ::IsWindowEnabled(::GetDlgItem(window, IDOK))); ++i) {
        window = ::FindWindowW(kSettingsClass, nullptr);
        ::Sleep(50);
    }
    return window;
}

HWND CurrentPage(HWND window) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        if (std::wstring(className) == L"#32770" && ::IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

// Selects the category and answers the page title the window shows, or nothing past the last category.
bool SelectCategory(HWND window, int index, std::wstring& title) {
    HWND list = ::GetDlgItem(window, 1001);
    const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (index < 0) // counted from the end: -1 is the last category
        index += count;
    if (index < 0 || index >= count)
        return false;
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(list));
    title = Text(::FindWindowExW(window, nullptr, L"SkylumeConfigItemWindow", nullptr));
    return true;
}

void Repaint(HWND window) {
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(500);
}

struct Search {
    DWORD process;
    HWND settings;
    HWND found;
};

// A visible top-level window of the settings process other than the settings window itself.
HWND FindDialog(HWND settings) {
    Search search{0, settings, nullptr};
    ::GetWindowThreadProcessId(settings, &search.process);
    ::EnumWindows(
        [](HWND window, LPARAM data) CALLBACK -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t className[64] = {};
            ::GetClassNameW(window, className, 64);
            if (process == search->process && window != search->settings && ::IsWindowVisible(window) &&
                std::wstring(className) == L"#32770")
                search->found = window;
            return search->found == nullptr;
        },
        LPARAM(&search));
    return search.found;
}

bool IsSystemDialog(HWND dialog) {
    return ::FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr) ||
           ::FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr) ||
           ::FindWindowExW(dialog, nullptr, L"SHBrowseForFolder ShellNameSpace Control", nullptr);
}

void Dismiss(HWND dialog) {
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 40 && ::IsWindow(dialog); ++i)
        ::Sleep(50);
    if (::IsWindow(dialog))
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    for (int i = 0; i < 40 && ::IsWindow(dialog); ++i)
        ::Sleep(50);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"0";
    if (command == L"close" || command == L"ok") {
        HWND open = command == L"ok" ? WaitForSettings() : ::FindWindowW(kSettingsClass, nullptr);
        if (open)
            ::PostMessageW(open, WM_COMMAND, command == L"ok" ? IDOK : IDCANCEL, 0);
        for (int i = 0; i < 200 && ::FindWindowW(kSettingsClass, nullptr); ++i)
            ::Sleep(50);
        return 0;
    }
    HWND window = WaitForSettings();
    if (!window)
        return 1;
    if (command == L"dismiss") {
        if (HWND dialog = FindDialog(window))
            Dismiss(dialog);
        return 0;
    }
    const bool buttons = command == L"buttons", open = command == L"open", click = command == L"click";
    const int index = _wtoi(buttons || open || click ? (argc > 2 ? argv[2] : L"0") : command.c_str());
    std::wstring title;
    if (!SelectCategory(window, index, title))
        return 2;
    HWND page = CurrentPage(window);
    if (buttons) {
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            const std::wstring text = Text(child);
            const LONG style = ::GetWindowLongW(child, GWL_STYLE);
            const bool pushButton = (style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            if (std::wstring(className) == L"Button" && pushButton && ::IsWindowVisible(child) && text.size() > 3 &&
                text.ends_with(L"..."))
                std::printf("%d\n", ::GetDlgCtrlID(child));
        }
        return 0;
    }
    if (click) {
        HWND control = ::GetDlgItem(page, argc > 3 ? _wtoi(argv[3]) : 0);
        if (!control || !::IsWindowEnabled(control))
            return 3;
        ::SendMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (open) {
        HWND button = ::GetDlgItem(page, argc > 3 ? _wtoi(argv[3]) : 0);
        if (!button || !::IsWindowEnabled(button))
            return 3;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        HWND dialog = nullptr;
        for (int i = 0; i < 60 && !dialog; ++i) {
            ::Sleep(100);
            dialog = FindDialog(window);
        }
        if (!dialog)
            return 3;
        if (IsSystemDialog(dialog)) {
            Dismiss(dialog);
            return 3;
        }
        Repaint(dialog);
        PrintGeometry(dialog, Text(dialog));
        return 0;
    }
    Repaint(window);
    PrintGeometry(window, title);
    return 0;
}

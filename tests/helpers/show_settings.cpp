// For screenshots, driving a running settings window from outside. Rectangles are printed as
// "x y width height" (followed by the title where one is named).
//   show_settings INDEX              selects category INDEX (-1 the last); the window's rectangle and page title
//   show_settings page IDS [ID [ITEM]]
//                                    selects the category whose page holds control IDS (or every control of a list
//                                    such as "1001,1012,1015", since pages share control ids); the window's
//                                    rectangle. With a command ID it selects item ITEM of the page's list, posts that
//                                    command to the page and prints the rectangle of the dialog it opens (exit 3
//                                    when none)
//   show_settings albums             the wake-up page with its album list dropped down; the window's rectangle
//   show_settings browser FOLDER     the music page's folder browser with FOLDER selected; the browser's rectangle
//   show_settings buttons INDEX      the ids of category INDEX's page buttons that open a dialog (text ending "...")
//   show_settings open INDEX ID      presses that button; the rectangle and title of the dialog it opened (exit 3
//                                    when nothing, or only a system file or folder dialog, opened)
//   show_settings click INDEX ID     presses the control ID of category INDEX's page (a check box, say)
//   show_settings dismiss            cancels the dialog open over the settings window
//   show_settings close              cancels an open dialog and the settings window and waits until they are gone
//   show_settings ok                 presses OK in the settings window and waits until it is gone
// Exit 2 when INDEX is past the last category or the command is unknown.
#include "test_env.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using testenv::ClassOf;
using testenv::CurrentPage;
using testenv::TextOf;

namespace {

constexpr wchar_t kSettingsClass[] = L"TesselSetting0505301612";
constexpr int kCategoryList = 1001;

void Repaint(HWND window) {
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Brings the window up painted (unless `repaint` is false) and prints its rectangle, with `title` when one is given.
void PrintRect(HWND window, const std::wstring& title = L"", bool repaint = true) {
    if (repaint)
        Repaint(window);
    ::Sleep(500);
    RECT rect;
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld%s%ls\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                title.empty() ? "" : " ", title.c_str());
}

// The settings window once it is ready (OK is enabled once a page is selected).
HWND WaitForSettings() {
    HWND window = nullptr;
    for (int i = 0; i < 1200 && !(window && ::IsWindowEnabled(::GetDlgItem(window, IDOK))); ++i) {
        window = ::FindWindowW(kSettingsClass, nullptr);
        ::Sleep(50);
    }
    return window;
}

void Select(HWND window, int index) {
    HWND list = ::GetDlgItem(window, kCategoryList);
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCategoryList, LBN_SELCHANGE), LPARAM(list));
}

// Selects the category and answers the page title the window shows, or nothing past the last category.
bool SelectCategory(HWND window, int index, std::wstring& title) {
    const int count = int(::SendDlgItemMessageW(window, kCategoryList, LB_GETCOUNT, 0, 0));
    if (index < 0) // counted from the end: -1 is the last category
        index += count;
    if (index < 0 || index >= count)
        return false;
    Select(window, index);
    title = TextOf(::FindWindowExW(window, nullptr, L"SkylumeConfigItemWindow", nullptr));
    return true;
}

bool HoldsEvery(HWND page, const std::wstring& ids) {
    for (size_t start = 0; start < ids.size();) {
        const size_t end = std::min(ids.find(L',', start), ids.size());
        if (!::GetDlgItem(page, _wtoi(ids.substr(start, end - start).c_str())))
            return false;
        start = end + 1;
    }
    return true;
}

// Selects the category whose page holds every control of `ids`; the page.
HWND SelectPageWith(HWND window, const std::wstring& ids) {
    HWND page = nullptr;
    for (HWND child = ::GetWindow(window, GW_CHILD); child && !page; child = ::GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"#32770" && HoldsEvery(child, ids))
            page = child;
    const int count = int(::SendDlgItemMessageW(window, kCategoryList, LB_GETCOUNT, 0, 0));
    for (int index = 0; page && index < count && !::IsWindowVisible(page); ++index)
        Select(window, index);
    return page;
}

// A visible dialog of the settings window's thread other than the window itself, waited for `tries` times 50 ms.
HWND WaitForDialog(HWND settings, int tries = 200) {
    struct Search {
        HWND settings;
        HWND found;
    } search{settings, nullptr};
    for (int i = 0; i < tries && !search.found; ++i) {
        ::EnumThreadWindows(
            ::GetWindowThreadProcessId(settings, nullptr),
            [](HWND window, LPARAM data) CALLBACK -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                if (window != search->settings && ::IsWindowVisible(window) && ClassOf(window) == L"#32770")
                    search->found = window;
                return search->found == nullptr;
            },
            LPARAM(&search));
        if (!search.found && i + 1 < tries)
            ::Sleep(50);
    }
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

void PostCommand(HWND page, int id) {
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(page, id)));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"0";
    auto argument = [&](int i) { return argc > i ? std::wstring(argv[i]) : std::wstring(L"0"); };
    if (command == L"close" || command == L"ok") {
        HWND open = command == L"ok" ? WaitForSettings() : ::FindWindowW(kSettingsClass, nullptr);
        if (HWND dialog = open && command == L"close" ? WaitForDialog(open, 1) : nullptr)
            Dismiss(dialog);
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
        if (HWND dialog = WaitForDialog(window, 1))
            Dismiss(dialog);
        return 0;
    }
    if (command == L"page" || command == L"albums" || command == L"browser") {
        const std::wstring ids = command == L"albums" ? L"1048" : command == L"browser" ? L"1057" : argument(2);
        HWND page = SelectPageWith(window, ids);
        if (!page)
            return 2;
        if (command == L"albums") {
            // Painted first: bringing the window up would close the list again.
            Repaint(window);
            HWND albums = ::GetDlgItem(page, 1018);
            ::SendMessageW(albums, CB_SETCURSEL, 1, 0);
            ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1018, CBN_SELCHANGE), LPARAM(albums));
            ::SendMessageW(albums, CB_SHOWDROPDOWN, TRUE, 0);
            PrintRect(window, L"", false);
            return 0;
        } else if (command == L"browser") {
            PostCommand(page, 1058);
            HWND browser = WaitForDialog(window);
            if (!browser)
                return 3;
            DWORD processId = 0;
            ::GetWindowThreadProcessId(browser, &processId);
            testenv::SelectFolderInBrowser(processId, browser, argument(2));
            PrintRect(browser);
            return 0;
        } else if (argc > 3) {
            // Commands that open a dialog act on the page's current selection; the first item is selected on load.
            if (argc > 4) {
                HWND pageList = ::GetDlgItem(page, 1001);
                ::SendMessageW(pageList, LB_SETCURSEL, _wtoi(argv[4]), 0);
                ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(pageList));
            }
            PostCommand(page, _wtoi(argv[3]));
            HWND dialog = WaitForDialog(window);
            if (!dialog)
                return 3;
            PrintRect(dialog);
            return 0;
        }
        PrintRect(window);
        return 0;
    }
    const bool buttons = command == L"buttons", open = command == L"open", click = command == L"click";
    std::wstring title;
    if (!SelectCategory(window, _wtoi(buttons || open || click ? argument(2).c_str() : command.c_str()), title))
        return 2;
    HWND page = CurrentPage(window);
    if (buttons) {
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            const std::wstring text = TextOf(child);
            const LONG style = ::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
            if (ClassOf(child) == L"Button" && (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON) &&
                ::IsWindowVisible(child) && text.size() > 3 && text.ends_with(L"..."))
                std::printf("%d\n", ::GetDlgCtrlID(child));
        }
        return 0;
    }
    if (click || open) {
        HWND control = ::GetDlgItem(page, _wtoi(argument(3).c_str()));
        if (!control || !::IsWindowEnabled(control))
            return 3;
        if (click) {
            ::SendMessageW(control, BM_CLICK, 0, 0);
            return 0;
        }
        ::PostMessageW(control, BM_CLICK, 0, 0);
        HWND dialog = WaitForDialog(window, 120);
        if (!dialog)
            return 3;
        if (IsSystemDialog(dialog)) {
            Dismiss(dialog);
            return 3;
        }
        PrintRect(dialog, TextOf(dialog));
        return 0;
    }
    PrintRect(window, title);
    return 0;
}

// The real settings window started on isolated folders with the shipped defaults, and the few ways a test drives
// its pages and the dialogs those pages open.
#pragma once
#include "test_env.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace pagetest {

class PageWindowTest : public ::testing::Test {
protected:
    PageWindowTest() { testenv::InstallShippedModules(folders.commonModules()); }

    // Starts the program and waits until the window is ready.
    HWND Open() { return testenv::OpenSettingsWindow(program.exe(), process); }
    // The page holding a control with this id (and `secondId`, if given).
    static HWND PageWith(HWND window, int id, int secondId = 0) {
        return secondId ? testenv::FindPage(window, {id, secondId}) : testenv::FindPage(window, {id});
    }
    // Whether a control of a page is shown, whether or not its page is the one in view.
    static bool Shown(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }
    // A top-level dialog of the program with this title, waited for.
    HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs = 10000) const {
        return testenv::WaitForTopLevel(
            process->id(), [&title](HWND window) { return testenv::TextOf(window) == title; }, timeoutMs);
    }
    // Clicks a page button the way the user would: the page hears BN_CLICKED (posted, since it may open a dialog).
    static void Click(HWND page, int id) {
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(page, id)));
    }
    // Answers the program's message box (caption "Skylume") with the button `id`; the box's text.
    std::wstring AnswerMessageBox(int id) const {
        const std::wstring text = testenv::AnswerMessageBox(WaitForDialog(L"Skylume"), id);
        ::Sleep(300);
        return text;
    }
    // Chooses files in the open-file dialog titled `title`: first into `folder`, then the names as typed in the
    // file-name field (several names each in double quotes).
    bool ChooseFiles(const std::wstring& title, const std::wstring& folder, const std::wstring& names) const {
        HWND dialog = WaitForDialog(title);
        if (!dialog)
            return false;
        auto type = [dialog](const std::wstring& text) {
            HWND field = ::GetDlgItem(dialog, 0x47C); // the file-name combo box
            if (!field)
                field = ::GetDlgItem(dialog, 0x480);
            ::SendMessageW(field, WM_SETTEXT, 0, LPARAM(text.c_str()));
            ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(::GetDlgItem(dialog, IDOK)));
            ::Sleep(400);
        };
        type(folder);
        type(names);
        for (int i = 0; i < 100 && ::IsWindow(dialog); ++i)
            ::Sleep(50);
        return !::IsWindow(dialog);
    }
    std::optional<DWORD> Press(HWND window, int id) {
        ::PostMessageW(window, WM_COMMAND, id, 0);
        return process->Wait(10000);
    }
    static std::string Narrow(const std::wstring& text) {
        std::string result;
        for (wchar_t c : text)
            result += char(c);
        return result;
    }

    testenv::IsolatedFolders folders;
    testenv::ProgramFolder program;
    testenv::RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    std::unique_ptr<testenv::RunningProcess> process;
};

} // namespace pagetest

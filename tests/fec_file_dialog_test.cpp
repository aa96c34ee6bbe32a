// The multi-selection file dialog driven through the real platform dialog: its list view is selected by
// messages from a second thread, as a user's clicks would, and the dialog confirmed with its OK button.
#include "test_env.h"
#include "ui/fec_file_dialog.h"
#include "ui/file_selection.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

using namespace testenv;

namespace {

constexpr DWORD kMultiSelect = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;

// Runs `drive` on a second thread against the dialog titled `title` while the dialog runs on this one.
INT_PTR RunDriven(CFECFileDialog& dialog, const wchar_t* title, std::function<void(HWND frame, HWND list)> drive) {
    dialog.SetTitle(title);
    INT_PTR result = 0;
    DriveModal([&] { result = dialog.DoModal(); },
               [&] {
                   HWND frame = WaitForTopLevel(
                       ::GetCurrentProcessId(), [title](HWND window) { return TextOf(window) == title; }, 20000);
                   if (!frame)
                       return;
                   HWND list = nullptr;
                   for (int i = 0; i < 200 && !list; ++i, ::Sleep(50))
                       list = FindDescendant(frame, L"SysListView32");
                   drive(frame, list);
               });
    return result;
}

void WaitForItems(HWND list, int count) {
    for (int i = 0; i < 200 && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < count; ++i)
        ::Sleep(50);
}

void SelectItems(HWND list, int index, bool selected) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    ::SendMessageW(list, LVM_SETITEMSTATE, WPARAM(index), reinterpret_cast<LPARAM>(&item));
}

// The file-name field's text as the dialog holds it.
std::wstring FileNameField(HWND frame) {
    LRESULT length = ::SendMessageW(frame, CDM_GETSPEC, 0, 0);
    std::wstring text(size_t(length > 0 ? length : 0) + 1, L'\0');
    ::SendMessageW(frame, CDM_GETSPEC, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.substr(0, text.find(L'\0'));
}

std::vector<std::wstring> Collect(CFECFileDialog& dialog) {
    std::vector<std::wstring> paths;
    for (auto position = dialog.GetStartPosition(); position;)
        paths.push_back(dialog.GetNextPathName(position));
    return paths;
}

class FileDialog : public ::testing::Test {
protected:
    FileDialog() : folder(L"fecdialog") {
        for (int i = 0; i < 500; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"picture %03d.jpg", i);
            WriteFile(folder / name, "x");
        }
    }
    TempFolder folder;
};

TEST_F(FileDialog, FiveHundredFilesComeBackInTheFieldsOrder) {
    CFECFileDialog dialog(true, nullptr, nullptr, kMultiSelect, L"Pictures|*.jpg||", nullptr);
    dialog.SetInitialFolder(folder.path());
    std::wstring field;
    std::wstring shownTitle;
    INT_PTR result = RunDriven(dialog, L"Choose 500", [&](HWND frame, HWND list) {
        ASSERT_NE(list, nullptr);
        WaitForItems(list, 500);
        SelectItems(list, -1, true);
        ::Sleep(300);
        field = FileNameField(frame);
        shownTitle = TextOf(frame);
        ::PostMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shownTitle, L"Choose 500");
    EXPECT_TRUE(dialog.HoldsOwnSelection());
    std::vector<std::wstring> paths = Collect(dialog);
    ASSERT_EQ(paths.size(), 500u);
    // The order of the file-name field ("name" "name" ...), each name behind the folder.
    std::vector<std::wstring> expected;
    for (size_t open = field.find(L'"'); open != std::wstring::npos; open = field.find(L'"', open + 1)) {
        const size_t close = field.find(L'"', open + 1);
        ASSERT_NE(close, std::wstring::npos) << "field: " << std::string(field.begin(), field.end());
        expected.push_back(folder / field.substr(open + 1, close - open - 1));
        open = close;
    }
    EXPECT_EQ(paths, expected);
    EXPECT_TRUE(FileExists(paths[0]) && FileExists(paths[499]));
}

TEST_F(FileDialog, NarrowingToOneFileUsesThePlatformsResult) {
    CFECFileDialog dialog(true, nullptr, nullptr, kMultiSelect, L"Pictures|*.jpg||", nullptr);
    dialog.SetInitialFolder(folder.path());
    bool heldWhileMany = false;
    INT_PTR result = RunDriven(dialog, L"Choose one", [&](HWND frame, HWND list) {
        ASSERT_NE(list, nullptr);
        WaitForItems(list, 500);
        SelectItems(list, -1, true);
        ::Sleep(300);
        heldWhileMany = dialog.HoldsOwnSelection();
        SelectItems(list, -1, false);
        SelectItems(list, 7, true);
        ::Sleep(300);
        ::PostMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(heldWhileMany);
    EXPECT_FALSE(dialog.HoldsOwnSelection());
    std::vector<std::wstring> paths = Collect(dialog);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], folder / L"picture 007.jpg");
}

TEST_F(FileDialog, CancelWithoutOverflowIsCancel) {
    CFECFileDialog dialog(true, nullptr, nullptr, kMultiSelect, L"Pictures|*.jpg||", nullptr);
    dialog.SetInitialFolder(folder.path());
    INT_PTR result =
        RunDriven(dialog, L"Cancel me", [](HWND frame, HWND) { ::PostMessageW(frame, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.GetStartPosition(), nullptr);
}

// The save form goes through the platform's save dialog (its own delay-loaded function).
TEST_F(FileDialog, SaveFormNamesTheFileInTheField) {
    CFECFileDialog dialog(false, L"txt", L"report.txt", OFN_EXPLORER | OFN_HIDEREADONLY, L"Text|*.txt||", nullptr);
    dialog.SetInitialFolder(folder.path());
    INT_PTR result =
        RunDriven(dialog, L"Save me", [](HWND frame, HWND) { ::PostMessageW(frame, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Collect(dialog), std::vector<std::wstring>{folder / L"report.txt"});
}

TEST(FileSelection, PlatformBufferAndFieldForms) {
    using additional::PathsFromResultBuffer;
    EXPECT_EQ(PathsFromResultBuffer(std::wstring(L"C:\\a\\one.txt\0\0", 14)),
              std::vector<std::wstring>{L"C:\\a\\one.txt"});
    EXPECT_EQ(PathsFromResultBuffer(std::wstring(L"C:\\\0x.txt\0y.txt\0\0", 17)),
              (std::vector<std::wstring>{L"C:\\x.txt", L"C:\\y.txt"}));
    EXPECT_EQ(additional::NameListFromField(L"\"a b.txt\" \"c.txt\""), std::wstring(L"a b.txt\0c.txt\0\0", 15));
    EXPECT_EQ(additional::NameListFromField(L"\"a.txt\" \"c.txt\" "), std::wstring(L"a.txt\0c.txt\0\0", 13));
}

} // namespace

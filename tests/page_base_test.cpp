// The page base: keyboard rules inside a page and the load-or-restore protocol, with a real page window.
#include "app/setting_app.h"
#include "shell/folders.h"
#include "shell/gdiplus_on_demand.h"
#include "test_env.h"
#include "ui/conf_window_inf.h"
#include "win32/com.h"

#include <gtest/gtest.h>
#include <gdiplus.h>

#include <stdexcept>
#include <vector>

using namespace testenv;

namespace {

constexpr int kPush = 901, kCheck = 902, kRadioOne = 903, kRadioTwo = 904, kLast = 905, kDisabled = 906;

class TestPage : public CConfWindowInf {
public:
    TestPage(HWND list, HWND ok) : CConfWindowInf(900, list, ok, nullptr) {}
    int LoadData() override {
        ++loads;
        if (throwOnFirstLoad && loads == 1)
            throw std::runtime_error("DOM call failed");
        std::wstring path;
        GetDataFilePath(path);
        return FileExists(path) ? 1 : 0;
    }
    void SaveData() override {}
    int IsModified() override { return 0; }

    std::vector<UINT> commands;
    int loads = 0;
    bool throwOnFirstLoad = false;

protected:
    BOOL OnInitDialog() override {
        CConfWindowInf::OnInitDialog();
        for (int id : {kPush, kCheck, kRadioOne, kRadioTwo, kLast, kDisabled})
            AddTabStop(id);
        ::CheckRadioButton(hwnd(), kRadioOne, kRadioTwo, kRadioOne);
        return TRUE;
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (id == kPush || id == kLast)
            commands.push_back(id);
        return CConfWindowInf::OnCommand(id, code, control);
    }
};

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        auto* received = reinterpret_cast<std::vector<UINT>*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (received)
            received->push_back(LOWORD(wParam));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    for (int i = 0; i < 5; ++i) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

// The settings window's part in these tests: a parent with a category list and an OK button.
class PageHost : public ::testing::Test {
protected:
    PageHost() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PageBaseTestHost";
        ::RegisterClassW(&windowClass);
        host = ::CreateWindowExW(WS_EX_CONTROLPARENT, L"PageBaseTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 500, 400, nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&hostCommands));
        list = ::CreateWindowW(L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 100, 300, host, HMENU(1001),
                               nullptr, nullptr);
        ok = ::CreateWindowW(L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 300, 350, 80, 24, host, HMENU(IDOK),
                             nullptr, nullptr);
        page = std::make_unique<TestPage>(list, ok);
        RECT rect = {110, 0, 490, 340};
        EXPECT_EQ(page->Create(L"Photo", rect, host), 1);
        ::ShowWindow(page->hwnd(), SW_SHOW);
        ::SetForegroundWindow(host);
        Pump();
    }
    ~PageHost() override {
        page.reset();
        ::DestroyWindow(host);
        ::UnregisterClassW(L"PageBaseTestHost", ::GetModuleHandleW(nullptr));
        shell::ResetModulesFolderCache();
    }
    HWND Item(int id) const { return ::GetDlgItem(page->hwnd(), id); }
    // Feeds a key through the page as the modal loop would; returns whether the page consumed it.
    bool Key(UINT message, WPARAM key, bool shift = false) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(state);
        MSG msg = {::GetFocus(), message, key, 0, 0, {}};
        bool consumed = page->PreTranslateMessage(msg);
        if (!consumed) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        state[VK_SHIFT] = 0;
        ::SetKeyboardState(state);
        Pump();
        return consumed;
    }

    HWND host = nullptr, list = nullptr, ok = nullptr;
    std::vector<UINT> hostCommands;
    std::unique_ptr<TestPage> page;
};

} // namespace

TEST_F(PageHost, TabStopsSkipDisabledControlsAndUncheckedRadioButtons) {
    EXPECT_EQ(page->FirstTabStop(), Item(kPush));
    EXPECT_EQ(page->NextTabStop(Item(kCheck), false), Item(kRadioOne));
    EXPECT_EQ(page->NextTabStop(Item(kRadioOne), false), Item(kLast)) << "a radio group is one stop";
    EXPECT_EQ(page->LastTabStop(), Item(kLast)) << "the disabled button is no stop";
    EXPECT_EQ(page->NextTabStop(Item(kLast), false), nullptr);
    EXPECT_EQ(page->NextTabStop(Item(kPush), true), nullptr);
    // Tab inside the page follows the stops (leaving the page is driven in settings_window_test.cpp).
    ::SetFocus(Item(kCheck));
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(::GetFocus(), Item(kRadioOne));
    ::CheckRadioButton(page->hwnd(), kRadioOne, kRadioTwo, kRadioTwo);
    EXPECT_EQ(page->NextTabStop(Item(kCheck), false), Item(kRadioTwo));
    EXPECT_EQ(page->NextTabStop(Item(kLast), true), Item(kRadioTwo));
}

// Controls are remembered once found; a control that went, moved or took another identifier is not returned.
TEST_F(PageHost, ControlsFoundOnceFollowReplacementMovesAndNewIdentifiers) {
    HWND first = page->item(kPush);
    ASSERT_NE(first, nullptr);
    ::DestroyWindow(first);
    EXPECT_EQ(page->item(kPush), nullptr);
    HWND second = ::CreateWindowW(L"BUTTON", L"again", WS_CHILD, 0, 0, 40, 20, page->hwnd(), HMENU(kPush), nullptr,
                                  nullptr);
    EXPECT_EQ(page->item(kPush), second);
    ::SetParent(second, host);
    EXPECT_EQ(page->item(kPush), nullptr);
    HWND last = page->item(kLast);
    ::SetWindowLongPtrW(last, GWLP_ID, kPush);
    EXPECT_EQ(page->item(kLast), nullptr);
    EXPECT_EQ(page->item(kPush), last);
}

TEST_F(PageHost, EnterPressesTheFocusedPushButton) {
    ::SetFocus(Item(kPush));
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(Key(WM_KEYUP, VK_RETURN));
    EXPECT_EQ(page->commands, std::vector<UINT>{kPush});
    EXPECT_TRUE(hostCommands.empty()) << "the settings window is not closed";
}

TEST_F(PageHost, EnterOnACheckBoxAndEscapeOfThePageActOnTheSettingsWindow) {
    ::SetFocus(Item(kCheck));
    const LRESULT before = ::SendMessageW(Item(kCheck), BM_GETCHECK, 0, 0);
    Key(WM_KEYDOWN, VK_RETURN);
    Key(WM_KEYUP, VK_RETURN);
    EXPECT_EQ(::SendMessageW(Item(kCheck), BM_GETCHECK, 0, 0), before) << "no space press";
    EXPECT_EQ(hostCommands, std::vector<UINT>{IDOK}) << "the page forwards OK to its parent";
    // Escape (Cancel) of the page acts on the settings window too.
    ::SendMessageW(page->hwnd(), WM_COMMAND, IDCANCEL, 0);
    Pump();
    EXPECT_EQ(hostCommands, (std::vector<UINT>{IDOK, IDCANCEL}));
}

class PageData : public PageHost {
protected:
    win32::ComInit com;
    IsolatedFolders folders;
};

TEST_F(PageData, MissingDataFileIsRestoredFromTheAllUsersCopyAndLoadedAgain) {
    MakeFolders(folders.commonModules() + L"\\Photo");
    WriteFile(folders.commonModules() + L"\\Photo\\data.xml", "<conf_data/>");
    shell::ResetModulesFolderCache();
    EXPECT_EQ(page->LoadOrRestore(), 1);
    EXPECT_EQ(page->loads, 2);
    EXPECT_EQ(ReadFile(folders.userModules() + L"\\Photo\\data.xml"), "<conf_data/>");
}

TEST_F(PageData, FileTheXmlLayerFailsOnIsKeptAsBadAndTheDefaultRestored) {
    MakeFolders(folders.commonModules() + L"\\Photo");
    WriteFile(folders.commonModules() + L"\\Photo\\data.xml", "<conf_data/>");
    MakeFolders(folders.userModules() + L"\\Photo");
    WriteFile(folders.userModules() + L"\\Photo\\data.xml", "<conf_data>mine</conf_data>");
    shell::ResetModulesFolderCache();
    page->throwOnFirstLoad = true;
    EXPECT_EQ(page->LoadOrRestore(), 1);
    EXPECT_EQ(page->loads, 2);
    EXPECT_EQ(ReadFile(folders.userModules() + L"\\Photo\\data.xml"), "<conf_data/>");
    EXPECT_EQ(ReadFile(folders.userModules() + L"\\Photo\\data.xml.bad"), "<conf_data>mine</conf_data>");
}

// A box raised while a modal sub-dialog has the main window disabled belongs to the sub-dialog.
class SubDialog : public win32::Dialog {
public:
    explicit SubDialog(HWND parent) : Dialog(910, parent) {}
    HWND boxOwner = nullptr;
    HWND self = nullptr;
    int boxResult = 0;

private:
    HWND OtherDialogOfThread() const {
        std::pair<HWND, HWND> search{hwnd(), nullptr};
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM lParam) CALLBACK -> BOOL {
                auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(lParam);
                wchar_t className[16] = {};
                ::GetClassNameW(window, className, 16);
                if (window != found->first && ::IsWindowVisible(window) && std::wstring(className) == L"#32770")
                    found->second = window;
                return found->second == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    }

protected:
    BOOL OnInitDialog() override {
        ::PostMessageW(hwnd(), WM_APP, 0, 0);
        return TRUE;
    }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_APP) {
            ::SetTimer(hwnd(), 1, 200, nullptr);
            boxResult = win32::AppMessageBox(L"from the sub-dialog");
            EndDialog(IDOK);
            return true;
        }
        if (message == WM_TIMER) {
            ::KillTimer(hwnd(), 1);
            self = hwnd();
            HWND box = OtherDialogOfThread();
            boxOwner = box ? ::GetWindow(box, GW_OWNER) : nullptr;
            if (box)
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        }
        return false;
    }
};

TEST_F(PageHost, MessageBoxFromAModalSubDialogIsOwnedByIt) {
    CTesselSettingApp app;
    app.setAppName(L"Skylume");
    app.setMainWindow(host);
    SubDialog sub(host);
    sub.DoModal();
    EXPECT_EQ(sub.boxResult, IDOK);
    ASSERT_NE(sub.self, nullptr) << "no box appeared";
    EXPECT_EQ(sub.boxOwner, sub.self) << "the box belongs to the sub-dialog, not to the disabled main window";
    EXPECT_TRUE(::IsWindowEnabled(host));
}

TEST_F(PageData, WithoutADefaultCopyTheSecondLoadFailsToo) {
    shell::ResetModulesFolderCache();
    EXPECT_EQ(page->LoadOrRestore(), 0);
    EXPECT_EQ(page->loads, 2);
    EXPECT_TRUE(FileExists(folders.userModules() + L"\\Photo")) << "the data path creates its folder";
}

// GDI+ is loaded and started by its first call, with nothing started by hand (this process has not used it).
TEST(GdiplusOnDemand, FirstCallStartsGdiplus) {
    EXPECT_EQ(::GetModuleHandleW(L"gdiplus.dll"), nullptr) << "not loaded with the program";
    shell::StartGdiplusOnFirstUse();
    {
        Gdiplus::Bitmap bitmap(4, 4, PixelFormat24bppRGB);
        EXPECT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
        Gdiplus::Color color;
        bitmap.SetPixel(1, 1, Gdiplus::Color(255, 10, 20, 30));
        EXPECT_EQ(bitmap.GetPixel(1, 1, &color), Gdiplus::Ok);
        EXPECT_EQ(color.GetG(), 20);
    }
    shell::ShutdownGdiplusIfStarted();
}

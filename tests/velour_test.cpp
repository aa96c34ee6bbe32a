// The skinned-control library: the message box driven as a user would (from a second thread that finds the box
// and presses its buttons or keys), and the skinned controls bound to real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "test_env.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"
#include "velour/velour_message_box.h"
#include "win32/app.h"

namespace {

struct BoxButton {
    int id = 0;
    std::wstring text;
    bool isDefault = false;
};

// What the driving thread saw of the box while it was shown.
struct Observed {
    bool found = false;
    bool stillOpenAfterAction = false;
    std::wstring caption;
    std::wstring text;
    std::vector<BoxButton> buttons;
    int focusedId = 0;
    bool ownerEnabled = true;
    std::wstring fontFace;
    RECT textRect{};
    RECT boxRect{};
};

// The visible box of this process with this caption.
HWND WaitForBox(const std::wstring& caption) {
    return testenv::WaitForTopLevel(::GetCurrentProcessId(), [&caption](HWND window) {
        return testenv::ClassOf(window) == L"#32770" && testenv::TextOf(window) == caption;
    });
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (::IsWindow(window) && ::IsWindowVisible(window)) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

void Inspect(HWND box, HWND owner, Observed& seen) {
    seen.caption = testenv::TextOf(box);
    ::GetWindowRect(box, &seen.boxRect);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        if (::lstrcmpiW(className, L"Button") == 0) {
            LONG style = ::GetWindowLongW(child, GWL_STYLE);
            seen.buttons.push_back(
                {::GetDlgCtrlID(child), testenv::TextOf(child), (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON});
        } else if (::lstrcmpiW(className, L"Static") == 0 && !testenv::TextOf(child).empty()) {
            seen.text += testenv::TextOf(child);
            ::GetWindowRect(child, &seen.textRect);
        }
    }
    if (HWND focus = testenv::FocusOfWindowThread(box))
        seen.focusedId = ::GetDlgCtrlID(focus);
    if (owner)
        seen.ownerEnabled = ::IsWindowEnabled(owner) != FALSE;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    if (font && ::GetObjectW(font, sizeof(logFont), &logFont))
        seen.fontFace = logFont.lfFaceName;
}

HWND Button(HWND box, int id) {
    return ::GetDlgItem(box, id);
}

// Shows a box on this thread while `action` works it from another thread. Should the action leave the box
// open, the driver notes it and presses the first button so that the test ends either way.
int RunBox(const std::wstring& text, UINT type, HWND owner, const std::function<void(HWND)>& action, Observed& seen) {
    static int counter = 0;
    const std::wstring caption = L"Velour test box " + std::to_wstring(++counter);
    std::thread driver([&] {
        HWND box = WaitForBox(caption);
        if (!box)
            return;
        seen.found = true;
        Inspect(box, owner, seen);
        action(box);
        if (!WaitUntilGone(box, 3000)) {
            seen.stillOpenAfterAction = true;
            if (!seen.buttons.empty())
                ::PostMessageW(Button(box, seen.buttons.front().id), BM_CLICK, 0, 0);
        }
    });
    int result = VelourMessageBox(text.c_str(), caption.c_str(), type, owner);
    driver.join();
    return result;
}

std::function<void(HWND)> Click(int id) {
    return [id](HWND box) { ::PostMessageW(Button(box, id), BM_CLICK, 0, 0); };
}

std::function<void(HWND)> PressKey(UINT key) {
    return [key](HWND box) {
        HWND target = testenv::FocusOfWindowThread(box);
        ::PostMessageW(target ? target : box, WM_KEYDOWN, key, 1);
        ::PostMessageW(target ? target : box, WM_KEYUP, key, 0xC0000001);
    };
}

// `action`, then a click on button `id`: the box handles its messages in order, so an answer of `id` shows that
// the action left the box open, with no wait for something not to happen.
std::function<void(HWND)> ThenClick(std::function<void(HWND)> action, int id) {
    return [action, id](HWND box) {
        action(box);
        ::PostMessageW(Button(box, id), BM_CLICK, 0, 0);
    };
}

struct ButtonSetCase {
    UINT type;
    std::vector<int> ids;
    std::vector<std::wstring> englishTexts;
    int escapeResult; // 0: Escape leaves the box open
};

const std::vector<ButtonSetCase>& ButtonSets() {
    static const std::vector<ButtonSetCase> sets = {
        {MB_OK, {IDOK}, {L"OK"}, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, {L"OK", L"Cancel"}, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, {L"&Abort", L"&Retry", L"&Ignore"}, 0},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, {L"&Yes", L"&No", L"Cancel"}, IDCANCEL},
        {MB_YESNO, {IDYES, IDNO}, {L"&Yes", L"&No"}, 0},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, {L"&Retry", L"Cancel"}, IDCANCEL},
        {MB_CANCELTRYCONTINUE, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, {L"Cancel", L"&Try Again", L"&Continue"}, IDCANCEL},
    };
    return sets;
}

// ---- Message box ----

TEST(VelourMessageBoxTest, EachButtonSetShowsItsButtonsAndAnswersWithThePressedOne) {
    for (const ButtonSetCase& set : ButtonSets()) {
        for (size_t pressed = 0; pressed < set.ids.size(); ++pressed) {
            Observed seen;
            int result = RunBox(L"Choose one.", set.type, nullptr, Click(set.ids[pressed]), seen);
            SCOPED_TRACE("type " + std::to_string(set.type) + ", button " + std::to_string(pressed));
            ASSERT_TRUE(seen.found);
            ASSERT_EQ(seen.buttons.size(), set.ids.size());
            for (size_t i = 0; i < set.ids.size(); ++i) {
                EXPECT_EQ(seen.buttons[i].id, set.ids[i]);
                EXPECT_EQ(seen.buttons[i].text, set.englishTexts[i]);
            }
            EXPECT_FALSE(seen.stillOpenAfterAction);
            EXPECT_EQ(result, set.ids[pressed]);
        }
    }
}

TEST(VelourMessageBoxTest, EscapeAnswersCancelOnlyWhereThereIsACancelAndOkForAPlainOkBox) {
    for (const ButtonSetCase& set : ButtonSets()) {
        Observed seen;
        // Where Escape must do nothing, the last button is clicked after it: it differs from Cancel and from the
        // default button, the answers a wrong Escape would give.
        int result =
            RunBox(L"Escape?", set.type, nullptr,
                   set.escapeResult ? PressKey(VK_ESCAPE) : ThenClick(PressKey(VK_ESCAPE), set.ids.back()), seen);
        SCOPED_TRACE("type " + std::to_string(set.type));
        ASSERT_TRUE(seen.found);
        EXPECT_FALSE(seen.stillOpenAfterAction);
        EXPECT_EQ(result, set.escapeResult ? set.escapeResult : set.ids.back());
    }
}

// The close box cancels where there is a Cancel button; a Yes/No box greys it and ignores it.
TEST(VelourMessageBoxTest, CloseBoxCancelsOnlyWhereThereIsACancelButton) {
    for (UINT type : {UINT(MB_OKCANCEL), UINT(MB_YESNO)}) {
        const bool cancels = type == MB_OKCANCEL;
        Observed seen;
        bool closeGreyed = false;
        auto close = [&](HWND box) {
            HMENU menu = ::GetSystemMenu(box, FALSE);
            closeGreyed = menu && (::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
            ::PostMessageW(box, WM_CLOSE, 0, 0);
        };
        int result = RunBox(L"Close?", type, nullptr, ThenClick(close, cancels ? IDOK : IDNO), seen);
        SCOPED_TRACE("type " + std::to_string(type));
        EXPECT_EQ(closeGreyed, !cancels);
        EXPECT_EQ(result, cancels ? IDCANCEL : IDNO) << "the click after WM_CLOSE answers only a box left open";
    }
}

TEST(VelourMessageBoxTest, DefaultButtonFlagChoosesTheFocusedButtonAndEnterPressesIt) {
    struct Case {
        UINT type;
        int expected;
    };
    for (Case c : {Case{MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO}, Case{MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
                   Case{MB_CANCELTRYCONTINUE | MB_DEFBUTTON2, IDTRYAGAIN}, Case{MB_OKCANCEL, IDOK},
                   Case{MB_YESNO | MB_DEFBUTTON4, IDYES}}) {
        Observed seen;
        int result = RunBox(L"Enter?", c.type, nullptr, PressKey(VK_RETURN), seen);
        SCOPED_TRACE("type " + std::to_string(c.type));
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.focusedId, c.expected);
        int defaults = 0;
        for (const BoxButton& button : seen.buttons) {
            if (button.isDefault) {
                ++defaults;
                EXPECT_EQ(button.id, c.expected);
            }
        }
        EXPECT_EQ(defaults, 1);
        EXPECT_FALSE(seen.stillOpenAfterAction);
        EXPECT_EQ(result, c.expected);
    }
}

class OwnerWindow {
public:
    OwnerWindow() {
        window_ = ::CreateWindowExW(0, L"Static", L"velour owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                    nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~OwnerWindow() { ::DestroyWindow(window_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

TEST(VelourMessageBoxTest, OwnerIsDisabledWhileShownAndEnabledAfterwards) {
    OwnerWindow owner;
    ASSERT_TRUE(::IsWindowEnabled(owner.get()));
    Observed seen;
    HWND boxOwner = nullptr;
    int result = RunBox(
        L"Owned.", MB_OK, owner.get(),
        [&](HWND box) {
            boxOwner = ::GetWindow(box, GW_OWNER);
            ::PostMessageW(Button(box, IDOK), BM_CLICK, 0, 0);
        },
        seen);
    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_EQ(boxOwner, owner.get());
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
}

TEST(VelourMessageBoxTest, ShowsCaptionAndTextAndWrapsLongTextInABiggerBox) {
    std::wstring longText;
    for (int i = 0; i < 40; ++i)
        longText += L"The quick brown fox jumps. ";
    Observed seen, small;
    int result = RunBox(longText, MB_OK | MB_ICONEXCLAMATION, nullptr, Click(IDOK), seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, longText);
    EXPECT_EQ(seen.caption.rfind(L"Velour test box", 0), 0u);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    EXPECT_LT(seen.boxRect.right - seen.boxRect.left, screenWidth);
    // Wrapped onto several lines: taller than one line of the font, narrower than the box.
    EXPECT_GT(seen.textRect.bottom - seen.textRect.top, 3 * 10);
    EXPECT_LT(seen.textRect.right - seen.textRect.left, seen.boxRect.right - seen.boxRect.left);
    EXPECT_EQ(result, IDOK);
    // A short text gives a smaller box.
    RunBox(L"Hi.", MB_OK, nullptr, Click(IDOK), small);
    ASSERT_TRUE(small.found);
    EXPECT_LT(small.boxRect.right - small.boxRect.left, seen.boxRect.right - seen.boxRect.left);
}

// Loads a language library as the active resources for the life of the object.
class ActiveLanguage {
public:
    explicit ActiveLanguage(const std::wstring& library) {
        module_.reset(::LoadLibraryExW((testenv::FolderOfThisExecutable() + L"\\" + library).c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE));
        app_.setResourceHandle(module_.get());
    }
    bool loaded() const { return bool(module_); }

private:
    win32::Module module_;
    win32::WinApp app_;
};

TEST(VelourMessageBoxTest, ButtonTextsAndFontComeFromTheActiveLanguage) {
    {
        ActiveLanguage japanese(L"DaystreamSetting_jpn.dll");
        ASSERT_TRUE(japanese.loaded());
        Observed seen;
        int result = RunBox(L"日本語のテキスト", MB_YESNOCANCEL, nullptr, Click(IDNO), seen);
        ASSERT_EQ(seen.buttons.size(), 3u);
        EXPECT_EQ(seen.buttons[0].text, L"はい(&Y)");
        EXPECT_EQ(seen.buttons[1].text, L"いいえ(&N)");
        EXPECT_EQ(seen.buttons[2].text, L"キャンセル");
        EXPECT_EQ(seen.fontFace, L"MS UI Gothic");
        EXPECT_EQ(result, IDNO);
    }
    for (auto [library, yes] :
         {std::pair{L"SkylumeSetting_fra.dll", L"&Oui"}, std::pair{L"SkylumeSetting_deu.dll", L"&Ja"},
          std::pair{L"SkylumeSetting_rus.dll", L"&Да"}, std::pair{L"SkylumeSetting_esp.dll", L"&Sí"},
          std::pair{L"SkylumeSetting_ita.dll", L"&Sì"}, std::pair{L"DaystreamSetting_usa.dll", L"&Yes"},
          std::pair{L"SkylumeSetting_gbr.dll", L"&Yes"}}) {
        ActiveLanguage language(library);
        ASSERT_TRUE(language.loaded());
        Observed seen;
        RunBox(L"x", MB_YESNO, nullptr, Click(IDYES), seen);
        ASSERT_EQ(seen.buttons.size(), 2u);
        EXPECT_EQ(seen.buttons[0].text, yes);
        EXPECT_EQ(seen.fontFace, L"MS Shell Dlg");
    }
}

// ---- Controls ----

// A top-level window that records the notifications its children send.
class TestParent {
public:
    TestParent() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VelourTestParent";
        windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, L"VelourTestParent", L"velour parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                    400, 300, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    }
    ~TestParent() { ::DestroyWindow(window_); }
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND get() const { return window_; }
    HWND AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int id, int y = 10) {
        HWND child = ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, y, 150, 24, window_,
                                       reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return child;
    }
    std::vector<std::pair<int, int>> commands; // (id, notification code)

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<TestParent*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COMMAND && self)
            self->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
};

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

TEST(VelourControlsTest, BoundButton2ReportsItsClassNameAndPlainControlsReportNone) {
    TestParent parent;
    HWND skinned = parent.AddChild(L"Button", L"OK", BS_PUSHBUTTON | WS_TABSTOP, IDOK);
    HWND plain = parent.AddChild(L"Button", L"Plain", BS_PUSHBUTTON, 200, 40);
    {
        VelourButton2 button;
        ASSERT_TRUE(button.Bind(parent.get(), IDOK));
        EXPECT_EQ(button.hwnd(), skinned);
        ASSERT_NE(VelourRuntimeClassName(skinned), nullptr);
        EXPECT_STREQ(VelourRuntimeClassName(skinned), L"VelourButton2");
        EXPECT_EQ(VelourRuntimeClassName(plain), nullptr);
        EXPECT_EQ(VelourRuntimeClassName(nullptr), nullptr);
        VelourButton second;
        EXPECT_FALSE(second.Bind(parent.get(), IDOK)); // one skin per control
        EXPECT_FALSE(second.Bind(parent.get(), 999));  // no such control
        ASSERT_TRUE(second.Bind(parent.get(), 200));
        EXPECT_STREQ(VelourRuntimeClassName(plain), L"VelourButton");
    }
    // Once the objects are gone, the controls are plain again.
    EXPECT_EQ(VelourRuntimeClassName(skinned), nullptr);
    EXPECT_EQ(VelourRuntimeClassName(plain), nullptr);
}

TEST(VelourControlsTest, BoundCheckRadioComboAndSliderKeepTheirStandardMessages) {
    ::InitCommonControls();
    TestParent parent;
    HWND box = parent.AddChild(L"Button", L"Check me", BS_AUTOCHECKBOX | WS_TABSTOP, 101);
    HWND radio = parent.AddChild(L"Button", L"Radio", BS_AUTORADIOBUTTON, 110, 35);
    HWND combo = ::CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 10, 60,
                                   150, 200, parent.get(), reinterpret_cast<HMENU>(111), nullptr, nullptr);
    HWND slider = ::CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS, 10, 100, 200, 30,
                                    parent.get(), reinterpret_cast<HMENU>(120), nullptr, nullptr);
    VelourCheckBox checkSkin;
    VelourRadioButton radioSkin;
    VelourComboBox comboSkin;
    VelourSliderCtrl sliderSkin;
    ASSERT_TRUE(checkSkin.Bind(parent.get(), 101));
    ASSERT_TRUE(radioSkin.Bind(parent.get(), 110));
    ASSERT_TRUE(comboSkin.Bind(parent.get(), 111));
    ASSERT_TRUE(sliderSkin.Bind(parent.get(), 120));
    ::UpdateWindow(parent.get());

    // A click toggles the check box and reaches the parent.
    ::SendMessageW(box, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_FALSE(parent.commands.empty());
    EXPECT_EQ(parent.commands.back(), std::make_pair(101, int(BN_CLICKED)));
    ::SendMessageW(box, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    ::SendMessageW(radio, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"first"));
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"second"));
    ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
    ::UpdateWindow(combo);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    ::SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    ::SendMessageW(slider, TBM_SETPOS, TRUE, 7);
    ::UpdateWindow(slider);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETPOS, 0, 0), 7);
}

// Counts the face queries the skin sends to its control: hooked before the skin, it sees what the skin passes on.
class FaceQueryCounter : public velour::WindowHook {
public:
    int queries = 0;

protected:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == BM_GETSTATE)
            ++queries;
        return Default(message, wParam, lParam);
    }
};

BOOL CALLBACK CountProperty(HWND, LPWSTR, HANDLE, ULONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int PropertyCount(HWND window) {
    int count = 0;
    ::EnumPropsExW(window, CountProperty, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The skin's cost per message is a few function calls: no window property (a server round trip under Wine) finds
// the object, the face is read again only after a message that can change it, and not at all while hidden.
TEST(VelourControlsTest, FaceIsReadOnlyAfterMessagesThatCanChangeItAndNeverWhileHidden) {
    TestParent parent;
    HWND box = parent.AddChild(L"Button", L"Check", BS_AUTOCHECKBOX, 140);
    const int properties = PropertyCount(box);
    FaceQueryCounter counter;
    ASSERT_TRUE(counter.Hook(box));
    VelourCheckBox skin;
    ASSERT_TRUE(skin.Bind(parent.get(), 140));
    EXPECT_EQ(PropertyCount(box), properties);
    PumpMessages();

    counter.queries = 0;
    for (int i = 0; i < 3; ++i) {
        ::SendMessageW(box, BM_GETCHECK, 0, 0);
        ::SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
        ::SendMessageW(box, WM_GETDLGCODE, 0, 0);
        ::SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    }
    EXPECT_EQ(counter.queries, 0);
    ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_GT(counter.queries, 0);
    EXPECT_TRUE(::GetUpdateRect(box, nullptr, FALSE)) << "the changed face is painted again";
    PumpMessages();

    ::ShowWindow(parent.get(), SW_HIDE);
    counter.queries = 0;
    ::SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(counter.queries, 0);
    ::ShowWindow(parent.get(), SW_SHOW);
    PumpMessages();
    counter.queries = 0;
    ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_GT(counter.queries, 0) << "shown again, the face follows its state";
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

// The client area as WM_PRINTCLIENT draws it, pixel by pixel.
std::vector<COLORREF> ClientPrint(HWND control) {
    RECT client;
    ::GetClientRect(control, &client);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(VelourControlsTest, BoundPushButtonIsDrawnInTheSkin) {
    TestParent parent;
    HWND button = parent.AddChild(L"Button", L"Skinned", BS_PUSHBUTTON, 130);
    const COLORREF before = ClientPrint(button)[0];
    VelourButton2 skin;
    ASSERT_TRUE(skin.Bind(parent.get(), 130));
    // Unfocused, not default: a one-pixel frame in the skin's edge colour.
    EXPECT_EQ(ClientPrint(button)[0], COLORREF(0x00807974));
    EXPECT_NE(before, COLORREF(0x00807974));
    skin.Detach();
    EXPECT_NE(ClientPrint(button)[0], COLORREF(0x00807974));
}

// What the screen shows of a window's client area.
std::vector<COLORREF> ScreenPixels(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    HDC dc = ::GetDC(window);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            pixels.push_back(::GetPixel(dc, x, y));
    ::ReleaseDC(window, dc);
    return pixels;
}

// A page loads hidden: a button or label disabled then shows its disabled face once the page is shown.
TEST(VelourControlsTest, ControlsDisabledWhileHiddenShowTheDisabledFace) {
    TestParent parent;
    HWND hidden = parent.AddChild(L"Button", L"Skinned", BS_PUSHBUTTON, 140, 10);
    HWND shown = parent.AddChild(L"Button", L"Skinned", BS_PUSHBUTTON, 141, 50);
    HWND hiddenLabel = parent.AddChild(L"Static", L"Label", SS_LEFT, 142, 90);
    HWND shownLabel = parent.AddChild(L"Static", L"Label", SS_LEFT, 143, 130);
    VelourButton2 hiddenSkin, shownSkin;
    VelourStatic hiddenLabelSkin, shownLabelSkin;
    ASSERT_TRUE(hiddenSkin.Bind(parent.get(), 140) && shownSkin.Bind(parent.get(), 141));
    ASSERT_TRUE(hiddenLabelSkin.Bind(parent.get(), 142) && shownLabelSkin.Bind(parent.get(), 143));
    PumpMessages();
    const std::vector<COLORREF> enabledFace = ScreenPixels(shown);
    ::ShowWindow(parent.get(), SW_HIDE);
    ::EnableWindow(hidden, FALSE);
    ::EnableWindow(hiddenLabel, FALSE);
    ::ShowWindow(parent.get(), SW_SHOW);
    ::EnableWindow(shown, FALSE);
    ::EnableWindow(shownLabel, FALSE);
    ::UpdateWindow(parent.get());
    PumpMessages();
    EXPECT_NE(ScreenPixels(shown), enabledFace);
    EXPECT_EQ(ScreenPixels(hidden), ScreenPixels(shown));
    EXPECT_EQ(ScreenPixels(hiddenLabel), ScreenPixels(shownLabel));
}

// A skinned combo box and a drop-down list side by side, with the same entries and font.
struct ComboPair {
    TestParent parent;
    HWND combo = nullptr;
    VelourComboBox comboSkin;
    VelourDropDownList list;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));

    explicit ComboPair(const std::vector<const wchar_t*>& entries) {
        ::InitCommonControls();
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        combo = ::CreateWindowExW(0, L"ComboBox", L"", style, 10, 10, 150, 120, parent.get(),
                                  reinterpret_cast<HMENU>(150), nullptr, nullptr);
        ::SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (const wchar_t* entry : entries)
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        comboSkin.Bind(parent.get(), 150);
        list.Create(parent.get(), style, RECT{10, 60, 160, 180}, 151, font);
        for (const wchar_t* entry : entries)
            ::SendMessageW(list.hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    // What the parent heard from the control `id` since the last call.
    std::vector<int> Heard(int id) {
        std::vector<int> codes;
        for (auto [from, code] : parent.commands)
            if (from == id)
                codes.push_back(code);
        return codes;
    }
};

std::wstring Shown(HWND control) {
    wchar_t text[64] = {};
    ::SendMessageW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    return text;
}

// Until it is opened a drop-down list has no list window of its own, and it takes the keyboard and the wheel as
// the platform's combo box does: same selection, same text, same notifications, step by step.
TEST(VelourDropDownListTest, TakesKeysCharactersAndWheelAsTheComboBoxDoesWithoutAListWindow) {
    const int listsBefore = testenv::ComboListWindowCount();
    ComboPair pair({L"apple", L"Banana", L"berry", L"cherry", L"\u00e9t\u00e9"});
    EXPECT_EQ(testenv::ComboListWindowCount(), listsBefore + 1) << "only the combo box has a list window";
    EXPECT_EQ(pair.list.comboBox(), nullptr);
    RECT comboRect, listRect;
    ::GetWindowRect(pair.combo, &comboRect);
    ::GetWindowRect(pair.list.hwnd(), &listRect);
    EXPECT_EQ(listRect.bottom - listRect.top, comboRect.bottom - comboRect.top) << "as high as the combo box";

    for (HWND control : {pair.combo, pair.list.hwnd()}) {
        EXPECT_EQ(::SendMessageW(control, CB_GETCOUNT, 0, 0), 5);
        EXPECT_EQ(::SendMessageW(control, CB_SETCURSEL, 1, 0), 1);
        EXPECT_EQ(::SendMessageW(control, CB_SETCURSEL, 7, 0), CB_ERR);
        EXPECT_EQ(::SendMessageW(control, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(::SendMessageW(control, CB_GETLBTEXTLEN, 2, 0), 5);
    }
    struct Step {
        UINT message;
        WPARAM wParam;
    };
    const Step steps[] = {{WM_KEYDOWN, VK_DOWN},
                          {WM_KEYDOWN, VK_DOWN},
                          {WM_KEYDOWN, VK_DOWN},
                          {WM_KEYDOWN, VK_DOWN},
                          {WM_KEYDOWN, VK_DOWN},
                          {WM_KEYDOWN, VK_UP},
                          {WM_KEYDOWN, VK_HOME},
                          {WM_KEYDOWN, VK_UP},
                          {WM_KEYDOWN, VK_END},
                          {WM_KEYDOWN, VK_LEFT},
                          {WM_KEYDOWN, VK_RIGHT},
                          {WM_CHAR, L'b'},
                          {WM_CHAR, L'B'},
                          {WM_CHAR, L'b'},
                          {WM_CHAR, L'z'},
                          {WM_CHAR, L'A'},
                          {WM_CHAR, 0x00c9},
                          {WM_KEYDOWN, VK_RETURN},
                          {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)},
                          {WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA)},
                          {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA)}};
    for (HWND control : {pair.combo, pair.list.hwnd()})
        ::SendMessageW(control, CB_SETCURSEL, 1, 0);
    ::SetFocus(pair.combo);
    ::SetFocus(pair.list.hwnd());
    ::SetFocus(pair.parent.get());
    std::vector<int> combo = pair.Heard(150), list = pair.Heard(151);
    EXPECT_EQ(list, combo) << "focus in and out";
    for (const Step& step : steps) {
        pair.parent.commands.clear();
        for (HWND control : {pair.combo, pair.list.hwnd()}) {
            ::SetFocus(control);
            ::SendMessageW(control, step.message, step.wParam, 0);
            ::SetFocus(pair.parent.get());
        }
        const int index = int(&step - steps);
        EXPECT_EQ(::SendMessageW(pair.list.hwnd(), CB_GETCURSEL, 0, 0), ::SendMessageW(pair.combo, CB_GETCURSEL, 0, 0))
            << "step " << index;
        EXPECT_EQ(Shown(pair.list.hwnd()), Shown(pair.combo)) << "step " << index;
        EXPECT_EQ(pair.Heard(151), pair.Heard(150)) << "step " << index;
    }
    EXPECT_EQ(pair.list.comboBox(), nullptr);
    EXPECT_EQ(testenv::ComboListWindowCount(), listsBefore + 1);
}

// Opening it (here with a click) makes the skinned combo box inside it, which then gets the click, the focus and
// every message; before that it looks exactly like the skinned combo box.
TEST(VelourDropDownListTest, LooksLikeTheSkinnedComboBoxAndOpensItsComboBoxWhenClicked) {
    const int listsBefore = testenv::ComboListWindowCount();
    ComboPair pair({L"one", L"two", L"three"});
    for (HWND control : {pair.combo, pair.list.hwnd()})
        ::SendMessageW(control, CB_SETCURSEL, 2, 0);
    ::SetFocus(pair.parent.get());
    EXPECT_EQ(ClientPrint(pair.list.hwnd()), ClientPrint(pair.combo));
    ::SetFocus(pair.combo);
    const std::vector<COLORREF> focusedCombo = ClientPrint(pair.combo);
    ::SetFocus(pair.list.hwnd());
    EXPECT_EQ(ClientPrint(pair.list.hwnd()), focusedCombo);
    ::SetFocus(pair.parent.get());
    ::EnableWindow(pair.combo, FALSE);
    ::EnableWindow(pair.list.hwnd(), FALSE);
    EXPECT_EQ(ClientPrint(pair.list.hwnd()), ClientPrint(pair.combo));
    ::EnableWindow(pair.list.hwnd(), TRUE);

    pair.parent.commands.clear();
    RECT client;
    ::GetClientRect(pair.list.hwnd(), &client);
    ::SendMessageW(pair.list.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, client.bottom / 2));
    HWND inner = pair.list.comboBox();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(::GetParent(inner), pair.list.hwnd());
    EXPECT_EQ(testenv::ComboListWindowCount(), listsBefore + 2);
    EXPECT_TRUE(::SendMessageW(pair.list.hwnd(), CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(::GetFocus(), inner);
    EXPECT_EQ(::SendMessageW(inner, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Shown(pair.list.hwnd()), L"three");
    EXPECT_STREQ(VelourRuntimeClassName(inner), L"VelourComboBox");
    const std::vector<int> heard = pair.Heard(151);
    EXPECT_NE(std::find(heard.begin(), heard.end(), CBN_DROPDOWN), heard.end()) << "from the list's own id";
    ::SendMessageW(inner, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
    ::SendMessageW(pair.list.hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
    ::SendMessageW(pair.list.hwnd(), CB_SETCURSEL, 0, 0);
    EXPECT_EQ(Shown(inner), L"one");
    ::SetFocus(pair.parent.get());
    ::SetFocus(pair.list.hwnd());
    EXPECT_EQ(::GetFocus(), inner) << "the focus goes on to the combo box";
}

// ---- Dialog ----

class SkinnedDialog : public VelourDialog2 {
public:
    SkinnedDialog() : VelourDialog2(IDD_SETTINGS, nullptr) {}
    int overrideCalls = 0;

protected:
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override {
        ++overrideCalls;
        return VelourDialog2::OnCtlColor(dc, control, controlType);
    }
};

TEST(VelourDialogTest, ControlColoursComeFromTheOverridableHandlerInThePageColour) {
    ActiveLanguage english(L"DaystreamSetting_usa.dll");
    ASSERT_TRUE(english.loaded());
    // The settings template names the settings window's class, which the program registers at start.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TesselSetting0505301612";
    ::RegisterClassW(&windowClass);

    SkinnedDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    HDC screen = ::GetDC(nullptr);
    HBRUSH brush =
        reinterpret_cast<HBRUSH>(::SendMessageW(dialog.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(screen),
                                                reinterpret_cast<LPARAM>(dialog.item(IDOK))));
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(dialog.overrideCalls, 1);
    LOGBRUSH logBrush{};
    ASSERT_TRUE(brush && ::GetObjectW(brush, sizeof(logBrush), &logBrush));
    EXPECT_EQ(logBrush.lbColor, RGB(215, 221, 224));
    dialog.DestroyWindow();
}

} // namespace

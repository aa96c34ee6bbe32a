// The settings window at 150 per cent: opened there (Wine takes the DPI of a new process from the registry's
// LogPixels) and moved there from 96 DPI (WM_DPICHANGED, as per-monitor awareness delivers it on Windows). Every
// control of every page lies inside its page and its group box, and no category title is cut.
#include "test_env.h"

#include "res/resource.h"
#include "ui/settings_layout.h"
#include "win32/dialog_template.h"
#include "win32/dpi.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

using namespace testenv;

namespace {

constexpr int kDpi = 144;
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Sets the DPI that processes started from now on take, and puts the old setting back.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        DWORD size = sizeof(saved_);
        had_ = ::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &saved_,
                              &size) == ERROR_SUCCESS;
        Write(dpi);
    }
    ~LogPixels() {
        if (had_)
            Write(saved_);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;

private:
    static void Write(DWORD dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
    DWORD saved_ = 0;
    bool had_ = false;
};

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool Inside(const RECT& inner, const RECT& outer, bool vertically) {
    return inner.left >= outer.left && inner.right <= outer.right &&
           (!vertically || (inner.top >= outer.top && inner.bottom <= outer.bottom));
}

std::vector<HWND> VisibleDescendants(HWND parent) {
    std::vector<HWND> found;
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM out) CALLBACK -> BOOL {
            if (::IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring Describe(HWND control) {
    return ClassOf(control) + L" " + std::to_wstring(::GetDlgCtrlID(control)) + L" \"" + TextOf(control) + L"\"";
}

class SettingsDpiTest : public ::testing::Test {
protected:
    SettingsDpiTest() {
        InstallShippedDefaults(folders);
        // The sample module: an additional page laid out in code.
        CopyTree(SourceFile(L"data/sample-module"), folders.commonModules());
        MakeFolders(folders.commonModules() + L"\\Visualizer");
        WriteFile(folders.commonModules() + L"\\Visualizer\\module-sub.swf", "FWS");
    }

    void UseLanguage(const std::string& code) {
        MakeFolders(folders.userModules());
        std::string data = ReadFile(folders.commonModules() + L"\\data.xml").value_or("");
        data.insert(data.rfind("</conf_data>"), "<locale>" + code + "</locale>");
        WriteFile(folders.userModules() + L"\\data.xml", data);
    }

    // The category list's font, as the window makes it from its template at kDpi.
    win32::Font CategoryFont(const std::wstring& library) {
        win32::Module resources(::LoadLibraryExW((program / library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        HRSRC found = ::FindResourceW(resources.get(), MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
        const void* data = found ? ::LockResource(::LoadResource(resources.get(), found)) : nullptr;
        auto settings = data ? win32::ParseDialogTemplate(data, ::SizeofResource(resources.get(), found))
                             : std::optional<win32::DialogTemplate>();
        LOGFONTW font{};
        if (settings) {
            font.lfHeight = -::MulDiv(settings->pointSize, kDpi, 72);
            lstrcpynW(font.lfFaceName, settings->face.c_str(), LF_FACESIZE);
        }
        font.lfCharSet = DEFAULT_CHARSET;
        return win32::Font(::CreateFontIndirectW(&font));
    }

    // Walks every category: the page's controls stay inside the page and inside the group box they start in,
    // the category's title fits its list item.
    void CheckEveryPage(HWND window, HFONT categoryFont) {
        HWND list = ::GetDlgItem(window, 1001);
        EXPECT_EQ(WindowRect(list).right - WindowRect(list).left, ::MulDiv(168, kDpi, 96));
        EXPECT_EQ(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), ::MulDiv(34, kDpi, 96));
        const RECT ok = WindowRect(::GetDlgItem(window, IDOK));
        EXPECT_EQ(ok.right - ok.left, ::MulDiv(100, kDpi, 96));
        EXPECT_EQ(ok.bottom - ok.top, ::MulDiv(24, kDpi, 96));
        const CategoryItemLayout itemLayout = LayOutCategoryItem(kDpi);
        const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        ASSERT_GE(count, 12);
        for (int index = 0; index < count; ++index) {
            ::SendMessageW(list, LB_SETCURSEL, index, 0);
            ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), LPARAM(list));
            const std::wstring title = TextOf(::FindWindowExW(window, nullptr, L"SkylumeConfigItemWindow", nullptr));
            RECT item{};
            ::SendMessageW(list, LB_GETITEMRECT, index, LPARAM(&item));
            const int room = item.right - item.left - itemLayout.textLeft - itemLayout.textRightInset;
            RECT needed{0, 0, 0, 0};
            {
                win32::WindowDc dc(nullptr);
                win32::SelectObjectScope selected(dc.get(), categoryFont);
                ::DrawTextW(dc.get(), title.c_str(), int(title.size()), &needed,
                            DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            }
            EXPECT_LE(needed.right, room) << "the category \"" << title << "\" is cut";

            HWND page = CurrentPage(window);
            ASSERT_NE(page, nullptr) << title;
            const RECT pageRect = WindowRect(page);
            // A page that scrolls may hold controls below its bottom edge.
            const bool scrolls = (::GetWindowLongW(page, GWL_STYLE) & WS_VSCROLL) != 0;
            std::vector<RECT> groups;
            for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
                if (::IsWindowVisible(child) && ClassOf(child) == L"Button" &&
                    (::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
                    groups.push_back(WindowRect(child));
            for (HWND control : VisibleDescendants(page)) {
                const RECT rect = WindowRect(control);
                EXPECT_TRUE(Inside(rect, pageRect, !scrolls)) << title << ": " << Describe(control) << " lies outside";
                for (const RECT& group : groups) {
                    if (::EqualRect(&group, &rect) || !::PtInRect(&group, POINT{rect.left, rect.top}))
                        continue;
                    EXPECT_TRUE(Inside(rect, group, true))
                        << title << ": " << Describe(control) << " runs out of its group box";
                }
            }
        }
    }

    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    std::unique_ptr<RunningProcess> process;
};

} // namespace

TEST_F(SettingsDpiTest, OpenedAt150PercentEveryPageFitsAndNoCategoryIsCut) {
    HWND window = nullptr;
    {
        LogPixels scaled(kDpi);
        window = OpenSettingsWindow(program.exe(), process);
    }
    ASSERT_NE(window, nullptr);
    win32::Font font = CategoryFont(L"DaystreamSetting_usa.dll");
    CheckEveryPage(window, font.get());
}

TEST_F(SettingsDpiTest, MovedTo150PercentTheJapaneseWindowIsLaidOutAgain) {
    UseLanguage("jpn");
    HWND window = OpenSettingsWindow(program.exe(), process);
    ASSERT_NE(window, nullptr);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi), 0);
    win32::Font font = CategoryFont(L"DaystreamSetting_jpn.dll");
    CheckEveryPage(window, font.get());
}

// An additional module in the real settings program: its page in the category list and on the General page,
// built from the shipped sample description, the checker's picture of it, and its values saved at OK.
#include "test_env.h"
#include "win32/handle.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

using namespace testenv;

namespace {

constexpr int kCategoryList = 1001, kModuleList = 1001;

// How many pixels of the checker's picture differ from the page as the settings window shows it on the screen.
int PixelsUnlikeTheScreen(HWND page, const std::wstring& picturePath) {
    RECT rect;
    ::GetWindowRect(page, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    win32::MemoryDc shown(::CreateCompatibleDC(screen));
    win32::Bitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    HGDIOBJ old = ::SelectObject(shown.get(), bitmap.get());
    ::BitBlt(shown.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int unlike = width * height;
    {
        Gdiplus::Bitmap picture(picturePath.c_str());
        if (picture.GetLastStatus() == Gdiplus::Ok && int(picture.GetWidth()) == width &&
            int(picture.GetHeight()) == height) {
            unlike = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    Gdiplus::Color color;
                    picture.GetPixel(x, y, &color);
                    const COLORREF expected = ::GetPixel(shown.get(), x, y);
                    unlike += RGB(color.GetR(), color.GetG(), color.GetB()) != expected;
                }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    ::SelectObject(shown.get(), old);
    return unlike;
}

TEST(ModulePageInSettings, ListedBuiltFromItsDescriptionAndSavedAtOk) {
    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner productKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel"};
    MakeFolders(folders.commonModules() + L"\\Weather");
    MakeFolders(folders.commonModules() + L"\\NoDescription");
    InstallShippedModules(folders.commonModules());
    for (const wchar_t* file : {L"preference.xml", L"preference_usa.xml", L"preference_jpn.xml"})
        ASSERT_TRUE(::CopyFileW(SourceFile(std::wstring(L"data/sample-module/Weather/") + file).c_str(),
                                (folders.commonModules() + L"\\Weather\\" + file).c_str(), FALSE));

    std::unique_ptr<RunningProcess> process;
    HWND window = OpenSettingsWindow(program.exe(), process);
    ASSERT_NE(window, nullptr);
    HWND general = CurrentPage(window);
    ASSERT_NE(general, nullptr);
    HWND list = ::GetDlgItem(window, kCategoryList);
    const int categories = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    // General, Display, wake-up timer, Version, Photo, two news pages, Clock, Calendar, Music and Weather: the folder
    // without a description has no page.
    EXPECT_EQ(categories, 11);
    // General, Display, wake-up timer and Version are not modules; the two news pages are one module.
    EXPECT_EQ(::SendMessageW(::GetDlgItem(general, kModuleList), LB_GETCOUNT, 0, 0), categories - 5)
        << "the General page lists every module page, the new one included";
    const int last = categories - 1;
    ::SendMessageW(list, LB_SETCURSEL, last, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCategoryList, LBN_SELCHANGE), LPARAM(list));
    HWND page = CurrentPage(window);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(FindDescendant(page, L"SkylumeConfControl"), nullptr);
    ::Sleep(300); // the page has painted
    // The checker draws the same page from the same description at the size it has in the window.
    TempFolder out(L"picture");
    ASSERT_TRUE(
        RunProgram(FolderOfThisExecutable() + L"\\SkylumeModuleCheck.exe",
                   {folders.commonModules() + L"\\Weather", L"--language", L"usa", L"--picture", out / L"page.png"},
                   60000)
            .finished);
    EXPECT_EQ(PixelsUnlikeTheScreen(page, out / L"page.png"), 0);
    HWND city = FindDescendant(page, L"Edit");
    ASSERT_NE(city, nullptr);
    wchar_t shown[64] = {};
    // Another process's edit control answers only WM_GETTEXT and WM_SETTEXT (GetWindowText does not ask it).
    ::SendMessageW(city, WM_GETTEXT, 64, LPARAM(shown));
    EXPECT_STREQ(shown, L"New York") << "the United States description's default";
    ::SendMessageW(city, WM_SETTEXT, 0, LPARAM(L"Sapporo <north>"));

    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(process->Wait(10000), std::optional<DWORD>(0));
    const std::wstring userModule = folders.userModules() + L"\\Weather";
    EXPECT_TRUE(FileExists(userModule + L"\\preference.xml"));
    EXPECT_TRUE(FileExists(userModule + L"\\preference_usa.xml"));
    EXPECT_FALSE(FileExists(userModule + L"\\preference_jpn.xml")) << "only the user's language is copied";
    const std::string data = ReadFile(userModule + L"\\data.xml").value_or("");
    EXPECT_NE(data.find("<item name=\"city\"><value>Sapporo &lt;north&gt;</value></item>"), std::string::npos) << data;
    EXPECT_NE(data.find("<item name=\"interval\"><value>30</value></item>"), std::string::npos) << data;
    const std::string changed = ReadFile(folders.userModules() + L"\\cmf.dat").value_or("");
    const std::string weather("W\0e\0a\0t\0h\0e\0r\0", 14);
    EXPECT_NE(changed.find(weather), std::string::npos) << "the module's name is in the changed-modules file";
}

} // namespace

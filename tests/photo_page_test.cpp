// The photo page and its view settings dialog in the real settings window, driven as a user would.
#include "page_window_fixture.h"

#include <commctrl.h>

using namespace testenv;

namespace {

constexpr int kPhotoList = 1001, kAddPhotos = 1002, kRemove = 1003, kDetails = 1004, kNoPreview = 1008,
              kLayoutBox = 1018, kPreview = 1052;
constexpr int kSlideshow = 1016, kInterval = 1017;

class PhotoPageTest : public pagetest::PageWindowTest {
protected:
    PhotoPageTest() { MakeFolders(photos.path()); }

    std::wstring Photo(const std::wstring& name) {
        WriteFile(photos / name, "\xFF\xD8 picture");
        return photos / name;
    }
    void WritePhotoData(const std::string& contents, const std::string& format = "") {
        MakeFolders(folders.userModules() + L"\\Photo");
        WriteFile(DataFile(), "<conf_data><main>" + PhotoLayouts("true", "20") + "<contents" + format + ">" + contents +
                                  "</contents></main></conf_data>");
    }
    std::wstring DataFile() const { return folders.userModules() + L"\\Photo\\data.xml"; }
    HWND OpenPhotoPage() {
        HWND window = Open();
        return window ? PageWith(window, kPreview, kDetails) : nullptr;
    }
    // The display names in list order (the list draws each item's name; its item data are the items).
    static int Count(HWND page) { return int(::SendDlgItemMessageW(page, kPhotoList, LB_GETCOUNT, 0, 0)); }
    static LRESULT ItemData(HWND page, int index) {
        return ::SendDlgItemMessageW(page, kPhotoList, LB_GETITEMDATA, WPARAM(index), 0);
    }
    static void Select(HWND page, int index) {
        HWND list = ::GetDlgItem(page, kPhotoList);
        ::SendMessageW(list, LB_SETSEL, FALSE, -1);
        ::SendMessageW(list, LB_SETSEL, TRUE, index);
        ::SendMessageW(list, LB_SETCARETINDEX, WPARAM(index), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kPhotoList, LBN_SELCHANGE), LPARAM(list));
    }

    FlashPlayer flash{0x000A0000};
    TempFolder photos{L"photos"};
};

} // namespace

TEST_F(PhotoPageTest, FilesChosenTogetherGoDirectlyAfterTheCaretInReverseOrder) {
    WritePhotoData("<file>" + Narrow(Photo(L"p0.jpg")) + "</file><file>" + Narrow(Photo(L"p1.jpg")) + "</file><file>" +
                   Narrow(Photo(L"p2.jpg")) + "</file><file>" + Narrow(Photo(L"p3.jpg")) + "</file>");
    Photo(L"a.jpg");
    Photo(L"B.JPEG");
    Photo(L"c.png");
    HWND page = OpenPhotoPage();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(Count(page), 4);
    Select(page, 2);
    Click(page, kAddPhotos);
    ASSERT_TRUE(ChooseFiles(L"Add Photos", photos.path(), L"\"a.jpg\" \"B.JPEG\" \"c.png\""));
    ASSERT_EQ(Count(page), 6) << "the PNG file is not taken";
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    std::string saved = ReadFile(DataFile()).value_or("");
    const size_t p2 = saved.find("p2.jpg"), a = saved.find("a.jpg"), b = saved.find("B.JPEG"),
                 p3 = saved.find("p3.jpg");
    EXPECT_TRUE(p2 < b && b < a && a < p3) << saved;
    EXPECT_EQ(saved.find("c.png"), std::string::npos);
    EXPECT_NE(ReadFile(folders.userModules() + L"\\cmf.dat").value_or("").find(std::string("P\0h\0o\0t\0o\0", 10)),
              std::string::npos);
}

// A photo added and removed again before OK leaves no trace: no item, no garbage, no save.
TEST_F(PhotoPageTest, EmptyListTakesNewFilesAtTheTopAndEnablesTheLayoutControls) {
    WritePhotoData("");
    const auto before = ReadFile(DataFile());
    Photo(L"only.jpg");
    HWND page = OpenPhotoPage();
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, kDetails)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, kRemove)));
    Click(page, kAddPhotos);
    ASSERT_TRUE(ChooseFiles(L"Add Photos", photos.path(), L"\"only.jpg\""));
    EXPECT_EQ(Count(page), 1);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, kDetails)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, kLayoutBox)));
    Select(page, 0);
    Click(page, kRemove);
    AnswerMessageBox(IDYES);
    EXPECT_EQ(Count(page), 0);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(DataFile()), before);
}

TEST_F(PhotoPageTest, RemovedPhotoAddedAgainIsTheSameItemAndNothingChanged) {
    const std::wstring kept = Photo(L"kept.jpg");
    WritePhotoData("<file src=\"" + Narrow(kept) + "\">" + Narrow(kept) + "</file>");
    const auto before = ReadFile(DataFile());
    HWND page = OpenPhotoPage();
    ASSERT_NE(page, nullptr);
    const LRESULT item = ItemData(page, 0);
    Select(page, 0);
    Click(page, kRemove);
    EXPECT_NE(AnswerMessageBox(IDYES).find(L"Remove the selected photos"), std::wstring::npos);
    ASSERT_EQ(Count(page), 0);
    Click(page, kAddPhotos);
    ASSERT_TRUE(ChooseFiles(L"Add Photos", photos.path(), L"\"KEPT.jpg\""));
    ASSERT_EQ(Count(page), 1);
    EXPECT_EQ(ItemData(page, 0), item) << "the very same item came back";
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    EXPECT_EQ(ReadFile(DataFile()), before);
    EXPECT_FALSE(FileExists(folders.userModules() + L"\\cmf.dat"));
}

TEST_F(PhotoPageTest, RemovingACopiedPhotoLeavesItsCacheCopyAsGarbage) {
    const std::wstring copy = Photo(L"copy.jpg");
    WritePhotoData("<file src=\"D:\\camera\\x.jpg\">" + Narrow(copy) + "</file><file>" + Narrow(Photo(L"own.jpg")) +
                   "</file>");
    HWND page = OpenPhotoPage();
    ASSERT_NE(page, nullptr);
    HWND list = ::GetDlgItem(page, kPhotoList);
    ::SendMessageW(list, LB_SETSEL, TRUE, -1);
    Click(page, kRemove);
    AnswerMessageBox(IDNO);
    EXPECT_EQ(Count(page), 2) << "No keeps the list";
    Click(page, kRemove);
    AnswerMessageBox(IDYES);
    EXPECT_EQ(Count(page), 0);
    EXPECT_TRUE(Shown(::GetDlgItem(page, kNoPreview)));
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    const std::string saved = ReadFile(DataFile()).value_or("");
    EXPECT_NE(saved.find("<garbage>" + Narrow(copy) + "</garbage>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("own.jpg"), std::string::npos) << saved;
}

TEST_F(PhotoPageTest, PngOnlyFolderPreviewsOnlyWithFlashEight) {
    MakeFolders(photos / L"png");
    WriteFile(photos / L"png\\one.png", "\x89PNG");
    const std::string folder = "<folder path=\"" + Narrow(photos / L"png") + "\"/>";
    for (DWORD version : {0x000A0000u, 0x00070000u}) {
        FlashPlayer player{version};
        WritePhotoData(folder, " file_format=\"png\"");
        HWND page = OpenPhotoPage();
        ASSERT_NE(page, nullptr);
        const bool flash8 = version >= 0x00080000;
        EXPECT_EQ(Shown(::GetDlgItem(page, kPreview)) != 0, flash8) << std::hex << version;
        EXPECT_EQ(Shown(::GetDlgItem(page, kNoPreview)) != 0, !flash8) << std::hex << version;
        EXPECT_EQ(Press(::GetParent(page), IDCANCEL), std::optional<DWORD>(0));
    }
}

TEST_F(PhotoPageTest, ViewDialogCorrectsTheIntervalAndEditsTheChosenLayout) {
    WritePhotoData("<file>" + Narrow(Photo(L"p.jpg")) + "</file>");
    HWND page = OpenPhotoPage();
    ASSERT_NE(page, nullptr);
    ::SendDlgItemMessageW(page, kLayoutBox, CB_SETCURSEL, 1, 0); // the second entry: cinema
    Click(page, kDetails);
    HWND dialog = WaitForDialog(L"Layout Settings");
    ASSERT_NE(dialog, nullptr);
    HWND edit = ::GetDlgItem(dialog, kInterval);
    auto text = [edit] {
        // Another process's edit: its text is asked for, GetWindowText would only read the caption.
        wchar_t buffer[16] = {};
        ::SendMessageW(edit, WM_GETTEXT, 16, LPARAM(buffer));
        return std::wstring(buffer);
    };
    EXPECT_EQ(text(), L"20");
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, WM_CHAR, L'7', 1);
    EXPECT_EQ(text(), L"60") << "7 becomes 70, then 60";
    ::SendMessageW(edit, WM_SETTEXT, 0, LPARAM(L"15"));
    ::SendMessageW(edit, EM_SETSEL, 2, 2);
    ::SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(text(), L"10") << "1 becomes 10";
    for (auto [typed, shown] :
         {std::pair{L"09", L"10"}, {L"61", L"60"}, {L"60", L"60"}, {L"5", L"50"}, {L"", L"10"}, {L"345", L"34"}}) {
        ::SendMessageW(edit, WM_SETTEXT, 0, LPARAM(typed));
        EXPECT_EQ(text(), shown) << "typed " << Narrow(typed);
    }
    HWND spin = ::GetDlgItem(dialog, 1023);
    const LRESULT range = ::SendMessageW(spin, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(HIWORD(range), 10);
    EXPECT_EQ(LOWORD(range), 60);
    ::SendMessageW(edit, WM_SETTEXT, 0, LPARAM(L"45"));
    ::SendDlgItemMessageW(dialog, kSlideshow, BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(edit)) << "unchecked: the interval controls are disabled";
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(::GetDlgItem(dialog, IDOK)));
    for (int i = 0; i < 40 && ::IsWindow(dialog); ++i)
        ::Sleep(50);
    EXPECT_EQ(Press(::GetParent(page), IDOK), std::optional<DWORD>(0));
    // Wine's save writes the CR LF text nodes as bare LFs.
    const std::string saved = WithoutCr(ReadFile(DataFile()).value_or(""));
    EXPECT_NE(saved.find("<TileLayout>\n\t\t\t<slideshow>false</slideshow>\n\t\t\t<interval>45</interval>"),
              std::string::npos)
        << "with the box unchecked, OK still stores the interval shown: " << saved;
    EXPECT_NE(saved.find("<CinemaLayout>\n\t\t\t<slideshow>true</slideshow>\n\t\t\t<interval>20</interval>"),
              std::string::npos)
        << saved;
}

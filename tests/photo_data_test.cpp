// The photo data file: load rules, the exact layout a save writes, garbage, the cache purge, the installer's
// folder fix-up, and two processes writing the file at once.
#include "pages/photo/photo_data.h"
#include "shell/folders.h"
#include "test_env.h"
#include "win32/strings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testenv;

namespace {

class PhotoDataTest : public ::testing::Test {
protected:
    PhotoDataTest() {
        shell::ResetModulesFolderCache();
        MakeFolders(photos.path());
    }
    ~PhotoDataTest() override { shell::ResetModulesFolderCache(); }

    std::wstring Photo(const std::wstring& name) {
        const std::wstring path = photos / name;
        WriteFile(path, "\xFF\xD8 not really a picture");
        return path;
    }
    std::wstring Data(const std::string& main, const std::string& contents, const std::string& format = "") {
        WriteFile(path, "<conf_data><main>" + main + "<contents" + format + ">" + contents +
                            "</contents></main></conf_data>");
        return path;
    }
    static std::string Narrow(const std::wstring& text) { return win32::WideToUtf8(text); }
    std::string Saved() const { return WithoutCr(ReadFile(path).value_or("")); }
    std::vector<CPhotoItem*> Shown() const {
        PhotoViews views;
        std::vector<CPhotoItem*> shown;
        data.Fill(views, shown);
        return shown;
    }

    win32::ComInit com;
    IsolatedFolders folders;
    TempFolder photos{L"photos"};
    std::wstring path = photos / L"data.xml";
    CPhotoData data;
};

} // namespace

TEST_F(PhotoDataTest, IntervalsOutsideTenToSixtyOrNotNumbersFailTheLoad) {
    for (const char* good : {"10", "60"}) {
        Data(PhotoLayouts("true", good), "");
        EXPECT_TRUE(data.Load(path, false)) << good;
        EXPECT_EQ(data.views()[4].interval, atoi(good));
    }
    for (const char* bad : {"9", "61", "ten", ""}) {
        Data(PhotoLayouts("true", bad), "");
        EXPECT_FALSE(data.Load(path, false)) << bad;
    }
    Data("<SingleLayout><slideshow>true</slideshow><interval>30</interval></SingleLayout>", "");
    EXPECT_FALSE(data.Load(path, false)) << "four layouts missing";
    EXPECT_EQ(data.views()[0].interval, 30) << "a layout read before the failure keeps its value";
    WriteFile(path, "<conf_data><main>" + PhotoLayouts("true", "20") + "</main></conf_data>");
    EXPECT_FALSE(data.Load(path, false)) << "no contents";
    EXPECT_FALSE(data.Load(photos / L"missing.xml", false));
}

// The slideshow flag is read case-sensitively ("TRUE" is off) and written in lower case (a "true" is written by
// the photo page test's layout dialog).
TEST_F(PhotoDataTest, EmptyListStillWritesAllFiveLayoutsInTheExactLayout) {
    Data(PhotoLayouts("TRUE", "15"), "", " file_format=\"png,GIF\"");
    ASSERT_TRUE(data.Load(path, false));
    EXPECT_EQ(data.views()[0].slideshow, 0);
    EXPECT_EQ(data.formats().gif, 1);
    EXPECT_EQ(data.formats().png, 1);
    ASSERT_TRUE(data.Save(path, data.views(), {}));
    std::string expected = "<conf_data>\n\t<main>\n";
    for (const char* name : {"SingleLayout", "TileLayout", "BoardLayout", "CinemaLayout", "CompositeLayout"})
        expected += std::string("\t\t<") + name +
                    ">\n\t\t\t<slideshow>false</slideshow>\n\t\t\t<interval>15</interval>\n\t\t</" + name + ">\n";
    expected += "\t\t<contents file_format=\"gif,png\">\n\t\t</contents>\n\t</main>\n</conf_data>";
    EXPECT_NE(Saved().find(expected), std::string::npos) << Saved();
    CPhotoData reloaded;
    EXPECT_TRUE(reloaded.Load(path, false));
}

TEST_F(PhotoDataTest, GarbageOnlyForRemovedShownPhotosWithSource) {
    const std::wstring copied = Photo(L"copy1.jpg"), plain = Photo(L"plain.jpg"), folderPhoto = Photo(L"f.jpg");
    Data(PhotoLayouts("false", "20"), "<garbage>C:\\old\\kept.jpg</garbage>"
                                      "<file src=\"D:\\Camera\\Beach.JPG\">" +
                                          Narrow(copied) + "</file><file>" + Narrow(plain) +
                                          "</file>"
                                          "<file src=\"\">" +
                                          Narrow(plain) + "</file><folder path=\"" + Narrow(photos.path()) +
                                          "\"><file src=\"x\">" + Narrow(folderPhoto) + "</file></folder>");
    ASSERT_TRUE(data.Load(path, false));
    std::vector<CPhotoItem*> shown = Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0]->GetDisplayName(), L"Beach") << "the name comes from the source";
    EXPECT_EQ(shown[1]->GetDisplayName(), L"plain");
    EXPECT_EQ(shown[3]->GetDisplayName(), photos.path());
    EXPECT_FALSE(data.IsModified(data.views(), shown));

    // Remove everything (a new item removed again never reaches the data set: the page drops it, see
    // photo_page_test).
    for (CPhotoItem* item : shown)
        item->removed = 1;
    ASSERT_TRUE(data.Save(path, data.views(), {}));
    const std::string saved = Saved();
    EXPECT_NE(saved.find("<garbage>C:\\old\\kept.jpg</garbage>\n\t\t\t<garbage>" + Narrow(copied) +
                         "</garbage>\n\t\t\t<garbage>" + Narrow(folderPhoto) + "</garbage>\n\t\t</contents>"),
              std::string::npos)
        << saved;
    EXPECT_EQ(saved.find("<garbage>" + Narrow(plain)), std::string::npos) << "no source, or an empty one: no garbage";
    EXPECT_EQ(saved.find("<file"), std::string::npos);

    // Revived by its source, ignoring case; back at its place the data set counts as unchanged.
    EXPECT_EQ(data.FindRemoved(L"d:\\camera\\beach.jpg"), shown[0]);
    EXPECT_EQ(data.FindRemoved(plain), shown[1]);
    EXPECT_EQ(data.FindRemoved(copied), nullptr) << "a photo with a source is found by its source";
    for (CPhotoItem* item : shown)
        item->removed = 0;
    EXPECT_FALSE(data.IsModified(data.views(), shown));
    std::swap(shown[0], shown[1]);
    EXPECT_TRUE(data.IsModified(data.views(), shown));
}

TEST_F(PhotoDataTest, SaveWritesSourcesAndFolderFilesAndLoadsBackTheSame) {
    const std::wstring a = Photo(L"a.jpg"), b = Photo(L"b.jpeg");
    Data(PhotoLayouts("true", "33"), "<file src=\"\">" + Narrow(a) + "</file><folder path=\"" + Narrow(photos.path()) +
                                         "\"><file>" + Narrow(b) + "</file></folder>");
    ASSERT_TRUE(data.Load(path, false));
    CPhotoFileItem added(b);
    std::vector<CPhotoItem*> shown = Shown();
    shown.insert(shown.begin() + 1, &added);
    ASSERT_TRUE(data.Save(path, data.views(), shown));
    const std::string saved = Saved();
    EXPECT_NE(saved.find("\t\t\t<file src=\"\">" + Narrow(a) + "</file>\n\t\t\t<file>" + Narrow(b) +
                         "</file>\n\t\t\t<folder path=\"" + Narrow(photos.path()) + "\">\n\t\t\t\t<file>" + Narrow(b) +
                         "</file>\n\t\t\t</folder>\n\t\t</contents>"),
              std::string::npos)
        << saved;
    CPhotoData reloaded;
    ASSERT_TRUE(reloaded.Load(path, false));
    EXPECT_EQ(reloaded.items().size(), 3u);
}

// The save writes its text itself: UTF-8 without a declaration and CR LF line ends. Markup, quotes, line breaks and
// characters outside ASCII in sources and paths come back unchanged, and a path XML cannot hold still gives a file
// that loads.
TEST_F(PhotoDataTest, SourcesAndPathsOfAnyCharactersAreWrittenAsUtf8AndComeBackUnchanged) {
    const std::wstring a = Photo(L"a & b.jpg");
    // Folders and sources need not exist, so they carry the characters that this prefix's file names cannot.
    const std::wstring farSource = L"\u0444\u043e\u0442\u043e\\\U0001F600.JPG",
                       farFolder = L"E:\\\u65e5\u672c \u00e9t\u00e9";
    // Each length of UTF-8 at both of its ends: U+007F, U+0080, U+07FF, U+0800, U+FFFD, U+10000.
    const std::wstring boundaries = L"\u007F\u0080\u07FF\u0800\uFFFD\U00010000";
    const std::string boundaryBytes = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBD\xF0\x90\x80\x80";
    const std::wstring source = L"D:\\x & <y> \"q\" 'z'\tT\nN\r\nR\\" + boundaries + L"\\" + farSource;
    const std::wstring folderPath = farFolder + L"\\&<'>";
    Data(PhotoLayouts("false", "20"), "");
    ASSERT_TRUE(data.Load(path, false));
    CPhotoFileItem file(a);
    file.src = source;
    CPhotoFolderItem folder(folderPath);
    ASSERT_TRUE(data.Save(path, data.views(), {&file, &folder}));
    const std::string raw = ReadFile(path).value_or("");
    EXPECT_TRUE(raw.starts_with("<conf_data>\r\n\t<main>\r\n\t\t<SingleLayout>\r\n")) << raw;
    EXPECT_NE(raw.find(boundaryBytes + "\\" + Narrow(farSource) + "\">"), std::string::npos) << raw;
    EXPECT_NE(raw.find("<folder path=\"" + Narrow(farFolder)), std::string::npos) << raw;
    EXPECT_NE(raw.find("\">\r\n\t\t\t</folder>\r\n\t\t</contents>"), std::string::npos) << raw;
    CPhotoData reloaded;
    ASSERT_TRUE(reloaded.Load(path, false));
    ASSERT_EQ(reloaded.items().size(), 2u);
    const auto* read = dynamic_cast<const CPhotoFileItem*>(reloaded.items()[0].get());
    ASSERT_TRUE(read && read->src);
    EXPECT_EQ(read->path, a);
    EXPECT_EQ(*read->src, source);
    EXPECT_EQ(reloaded.items()[1]->path, folderPath);

    file.src = L"bell\x07 and a lone \xD800";
    ASSERT_TRUE(data.Save(path, data.views(), {&file}));
    EXPECT_TRUE(reloaded.Load(path, false));
}

// The save's look for old garbage reads the file in pieces and parses only files that may hold some: a garbage
// element across a piece boundary, and one in a UTF-16 file that another program wrote, are both kept.
TEST_F(PhotoDataTest, OldGarbageIsKeptAcrossPieceBoundariesAndInOtherEncodings) {
    // An empty element, so that the one "garbage" in the file is the one that straddles the boundary.
    std::vector<std::wstring> garbage;
    for (size_t padding = 65500; padding <= 65510; ++padding) {
        WriteFile(path, "<conf_data><main><contents>" + std::string(padding, ' ') +
                            "<garbage/></contents></main></conf_data>");
        CPhotoData::ReadGarbage(path, garbage);
    }
    EXPECT_EQ(garbage.size(), 11u);

    const std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><conf_data><main><contents>"
                              L"<garbage>C:\\\u5199\u771f.jpg</garbage></contents></main></conf_data>";
    WriteFile(path, Utf16File(text));
    ASSERT_TRUE(data.Save(path, PhotoViews{}, {}));
    EXPECT_NE(Saved().find("<garbage>C:\\" + Narrow(L"\u5199\u771f") + ".jpg</garbage>"), std::string::npos) << Saved();
}

TEST_F(PhotoDataTest, VanishedFilesAreDroppedAndFoldersWithoutPathToo) {
    const std::wstring kept = Photo(L"kept.jpg");
    Data(PhotoLayouts("false", "20"), "<file>" + Narrow(photos / L"gone.jpg") + "</file><folder/><folder path=\"" +
                                          Narrow(photos.path()) + "\"><file>" + Narrow(photos / L"gone2.jpg") +
                                          "</file><file>" + Narrow(kept) + "</file></folder><other/>");
    ASSERT_TRUE(data.Load(path, false));
    ASSERT_EQ(data.items().size(), 1u);
    auto* folder = dynamic_cast<CPhotoFolderItem*>(data.items()[0].get());
    ASSERT_NE(folder, nullptr);
    ASSERT_EQ(folder->files.size(), 1u);
    EXPECT_EQ(folder->files[0]->path, kept);
    std::wstring preview;
    EXPECT_EQ(folder->GetPreviewPath(preview, {}), 1);
    EXPECT_EQ(preview, kept);
}

TEST_F(PhotoDataTest, PurgeDeletesCacheFilesNamedByGarbageWhateverTheSlashes) {
    const std::wstring cache = folders.userModules() + L"\\Photo\\Cache";
    MakeFolders(cache);
    WriteFile(cache + L"\\y.jpg", "cached");
    WriteFile(cache + L"\\z.jpg", "cached");
    WriteFile(cache + L"\\keep.jpg", "cached");
    Data(PhotoLayouts("false", "20"), "<garbage>C:/x/y.jpg</garbage><garbage>C:\\x/w\\z.jpg</garbage>");
    ASSERT_TRUE(data.Load(path, false));
    EXPECT_TRUE(FileExists(cache + L"\\y.jpg")) << "the page's load never purges";
    ASSERT_TRUE(data.Load(path, true));
    EXPECT_FALSE(FileExists(cache + L"\\y.jpg"));
    EXPECT_FALSE(FileExists(cache + L"\\z.jpg"));
    EXPECT_TRUE(FileExists(cache + L"\\keep.jpg"));
    EXPECT_EQ(Saved().find("garbage"), std::string::npos) << Saved();
}

TEST_F(PhotoDataTest, FolderPathsBecomeAbsoluteOnceAndFilesStayAsTheyAre) {
    Data(PhotoLayouts("false", "20"), "<folder path=\"Quillon\\Skylume\\Demo\\Photos\"/><file>rel.jpg</file>"
                                      "<folder path=\"C:\\Absolute\"/><folder path=\"\\Quillon\\Rooted\"/>");
    ASSERT_TRUE(MakeFolderPathsAbsolute(path));
    const std::string once = ReadFile(path).value_or("");
    const std::string expected = "path=\"" + Narrow(folders.commonAppData()) + "\\Quillon\\Skylume\\Demo\\Photos\"";
    EXPECT_NE(once.find(expected), std::string::npos) << once;
    EXPECT_NE(once.find("path=\"" + Narrow(folders.commonAppData()) + "\\Quillon\\Rooted\""), std::string::npos)
        << "a path rooted without a drive joins the base too: " << once;
    EXPECT_NE(once.find("<file>rel.jpg</file>"), std::string::npos);
    EXPECT_NE(once.find("path=\"C:\\Absolute\""), std::string::npos);
    ASSERT_TRUE(MakeFolderPathsAbsolute(path));
    EXPECT_EQ(ReadFile(path), once);
    WriteFile(path, "<conf_data><main/></conf_data>");
    EXPECT_FALSE(MakeFolderPathsAbsolute(path));
    EXPECT_FALSE(MakeFolderPathsAbsolute(photos / L"none.xml"));
}

// Two processes saving different complete versions at once: the mutex serialises them, so the file is always
// one whole version and every load under the mutex succeeds.
TEST_F(PhotoDataTest, TwoWritersAtOnceLeaveOneCompleteVersion) {
    const std::wstring writer = FolderOfThisExecutable() + L"\\photo_writer.exe";
    Data(PhotoLayouts("false", "20"), "");
    RunningProcess first(writer, {path, L"11", L"40"});
    RunningProcess second(writer, {path, L"22", L"40"});
    ASSERT_TRUE(first.started() && second.started());
    int loads = 0;
    while (::WaitForSingleObject(first.handle(), 0) == WAIT_TIMEOUT ||
           ::WaitForSingleObject(second.handle(), 0) == WAIT_TIMEOUT) {
        CPhotoData reader;
        ASSERT_TRUE(reader.Load(path, false)) << "load " << loads;
        const int interval = reader.views()[0].interval;
        EXPECT_TRUE(interval == 20 || interval == 11 || interval == 22) << interval;
        for (const auto& view : reader.views())
            EXPECT_EQ(view.interval, interval) << "one writer's version, not a mix";
        ++loads;
    }
    EXPECT_EQ(first.Wait(1000), std::optional<DWORD>(0));
    EXPECT_EQ(second.Wait(1000), std::optional<DWORD>(0));
    CPhotoData last;
    ASSERT_TRUE(last.Load(path, false));
    EXPECT_TRUE(last.views()[0].interval == 11 || last.views()[0].interval == 22);
}

TEST(PhotoRules, NamesTypeTextsAndTheFolderChoiceRule) {
    EXPECT_EQ(photo::FileDisplayName(L"C:\\a\\b.c\\photo.final.jpg"), L"photo.final");
    EXPECT_EQ(photo::FileDisplayName(L"C:\\a\\.hidden"), L".hidden") << "a dot right after the backslash stays";
    EXPECT_EQ(photo::FileDisplayName(L"noslash.jpg"), L"noslash.jpg");
    EXPECT_EQ(photo::FileDisplayName(L"C:\\x\\a.jpg"), L"a") << "a one-letter name loses its extension too";
    EXPECT_EQ(photo::ParseDecimal(L" 42abc"), 42);
    EXPECT_EQ(photo::ParseDecimal(L"-7"), -7);
    EXPECT_EQ(photo::ParseDecimal(L"x1"), 0);
    EXPECT_EQ(photo::FileTypeDescription({1, 1}, L"JPEG", L"GIF", L"PNG", L", "), L"JPEG, GIF, PNG");
    EXPECT_EQ(photo::FileTypeDescription({0, 1}, L"JPEG", L"GIF", L"PNG", L"、"), L"JPEG、PNG");
    EXPECT_EQ(photo::FileTypeFilter({}, L"JPEG"), L"JPEG (*.jpeg;*.jpg)|*.jpeg; *.jpg||");
    EXPECT_EQ(photo::FileTypeFilter({1, 0}, L"J,G"), L"J,G (*.jpeg;*.jpg;*.gif)|*.jpeg; *.jpg; *.gif||");
    EXPECT_TRUE(photo::HasPhotoExtension(L"a.JPEG"));
    EXPECT_FALSE(photo::HasPhotoExtension(L"a.png"));

    // The folder browser accepts a folder only when this finds a picture directly inside it.
    TempFolder folder{L"pictures"};
    MakeFolders(folder / L"sub");
    WriteFile(folder / L"sub\\deep.jpg", "jpeg");
    WriteFile(folder / L"only.png", "png");
    EXPECT_FALSE(photo::FindFirstPicture(folder.path(), {}).has_value()) << "PNG without Flash 8, and no subfolders";
    EXPECT_EQ(photo::FindFirstPicture(folder.path(), {0, 1}), folder / L"only.png");
    WriteFile(folder / L"later.jpeg", "jpeg");
    EXPECT_EQ(photo::FindFirstPicture(folder.path(), {0, 1}), folder / L"later.jpeg") << "JPEG is searched first";
}

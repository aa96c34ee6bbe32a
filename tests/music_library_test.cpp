// The music library over the media database and media player stand-ins: index keys, skipped items, album
// order and sameness, jacket pictures by both rules.
#include "music_stand_ins.h"
#include "pages/music/album_rules.h"
#include "pages/music/music_library.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>

using namespace testenv;
using Lines = std::vector<std::wstring>;

TEST(IndexKey, TheArticleIsDroppedOnlyFromLongerNames) {
    EXPECT_EQ(music::IndexKeyOfArtist(L"The Beatles"), L"B");
    EXPECT_EQ(music::IndexKeyOfArtist(L"the beatles"), L"ZZ");
    EXPECT_EQ(music::IndexKeyOfArtist(L"Thes"), L"T");
    EXPECT_EQ(music::IndexKeyOfArtist(L"The X"), L"T");
    EXPECT_EQ(music::IndexKeyOfArtist(L"THE  \tKinks"), L"K");
    EXPECT_EQ(music::IndexKeyOfArtist(L"The \x3000Orb"), L"O");
    EXPECT_EQ(music::IndexKeyOfArtist(L"10cc"), L"ZZ");
    EXPECT_EQ(music::IndexKeyOfArtist(L""), L"ZZ");
    EXPECT_EQ(music::IndexKeyOfArtist(L"\x30a2\x30fc\x30c6\x30a3\x30b9\x30c8"), L"ZZ");
}

namespace {

std::wstring Song(const std::wstring& id, const std::wstring& path, const std::wstring& title,
                  const std::wstring& album, const std::wstring& artist, const std::wstring& albumId) {
    return L"song\t" + id + L"\t" + path + L"\t" + title + L"\t" + album + L"\t" + artist + L"\t" + artist + L"\t" +
           albumId;
}

class LibraryTest : public ::testing::Test {
protected:
    // Title (escaped as stored) of each album, in list order.
    static Lines Titles(const CMusicLibrary& library) {
        Lines titles;
        for (const auto& album : library.albums())
            titles.push_back(album.Field(music::kAlbumTitle));
        return titles;
    }
    static const music::AlbumRecord* Album(const CMusicLibrary& library, const std::wstring& title) {
        for (const auto& album : library.albums())
            if (album.Field(music::kAlbumTitle) == title)
                return &album;
        return nullptr;
    }
    // Tracking identifiers of the album's songs.
    static Lines SongIds(const CMusicLibrary& library, const music::AlbumRecord& album) {
        Lines ids;
        for (size_t song : album.songs)
            ids.emplace_back(library.songs().at(song).trackingId);
        return ids;
    }

    win32::ComInit com;
    MusicStandIns standIns;
    TempFolder music{L"music"};
    RegistryKeyCleaner musicKey{HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel\\Music"};
};

} // namespace

TEST_F(LibraryTest, PlayerSongsSkipDsfFilesAndFailingReadings) {
    standIns.SetFixture({Song(L"t1", music / L"a.mp3", L"Rock & Roll", L"First", L"Abba", L"A1"),
                         Song(L"t2", music / L"x.DSF", L"Hi-Res", L"First", L"Abba", L"A1"),
                         Song(L"t3", music / L"c.mp3", L"!", L"First", L"Abba", L"A1"),
                         Song(L"t1", music / L"dup.mp3", L"Again", L"First", L"Abba", L"A1")});
    CMusicLibrary library;
    ASSERT_TRUE(library.Open());
    ASSERT_EQ(library.songs().size(), 1u);
    EXPECT_EQ(library.songs()[0].title, L"Rock &amp; Roll");
    EXPECT_EQ(library.songs()[0].sourcePath, music / L"a.mp3");
    ASSERT_EQ(library.albums().size(), 1u);
    EXPECT_EQ(SongIds(library, library.albums()[0]), (Lines{L"t1"})) << "only listed songs are linked";
    EXPECT_EQ(library.albums()[0].Field(music::kAlbumId), L"A1");
}

TEST_F(LibraryTest, AlbumsAreOrderedByIndexKeyArtistAndTitle) {
    standIns.SetFixture({Song(L"1", music / L"1.mp3", L"s", L"Zoo", L"Zed", L"Z1"),
                         Song(L"2", music / L"2.mp3", L"s", L"Later", L"the who", L"W1"),
                         Song(L"3", music / L"3.mp3", L"s", L"Beta", L"abba", L"B1"),
                         Song(L"4", music / L"4.mp3", L"s", L"Gold", L"The Beatles", L"G1"),
                         Song(L"5", music / L"5.mp3", L"s", L"Arrival", L"ABBA", L"A1"),
                         Song(L"6", music / L"6.mp3", L"s", L"Untitled", L"!", L"U1"),
                         L"db-album\tMiddle\tMoby\tM\t1\t~\t~\t~\t"});
    CMusicLibrary library;
    ASSERT_TRUE(library.Open());
    EXPECT_EQ(Titles(library), (Lines{L"Arrival", L"Gold", L"Middle", L"Zoo", L"Beta", L"Later"}));
    EXPECT_EQ(Album(library, L"Middle")->Field(music::kAlbumMarked), L"1");
    EXPECT_EQ(Album(library, L"Zoo")->Field(music::kAlbumMarked), L"");
}

TEST_F(LibraryTest, TheSameAlbumFromBothSourcesIsListedOnce) {
    standIns.SetFixture({L"db-song\tt1\t" + (music / L"1.mp3") + L"\tOne\tShared\tAbba",
                         L"db-song\tt2\t" + (music / L"2.mp3") + L"\tTwo\tShared\tAbba",
                         L"db-album\tShared\tAbba\tA\t0\t~\t~\t~\tt1;t2", L"db-album\tOther\tAbba\tA\t0\t~\t~\t~\tt1",
                         Song(L"t2", music / L"2.mp3", L"Two", L"Shared", L"Abba", L"S1"),
                         Song(L"t1", music / L"1.mp3", L"One", L"Shared", L"Abba", L"S1")});
    CMusicLibrary library;
    ASSERT_TRUE(library.Open());
    EXPECT_EQ(Titles(library), (Lines{L"Other", L"Shared"}));
    EXPECT_EQ(SongIds(library, *Album(library, L"Shared")), (Lines{L"t1", L"t2"}));
    EXPECT_EQ(Album(library, L"Shared")->Field(music::kAlbumId), L"")
        << "the record already listed is kept; the media player's copy is dropped";
}

TEST_F(LibraryTest, PlayerJacketNeedsTheSettingAndTheFile) {
    standIns.SetFixture({Song(L"1", music / L"1.mp3", L"s", L"With", L"Abba", L"{ID-1}"),
                         Song(L"2", music / L"2.mp3", L"s", L"Without", L"Abba", L"{ID-2}")});
    WriteFile(music / L"AlbumArt_{ID-1}_Large.jpg", "jpeg");
    // No setting, or one other than 1: no lookup.
    for (std::optional<DWORD> setting : {std::optional<DWORD>(), std::optional<DWORD>(2)}) {
        if (setting)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel\\Music", L"EnableWMAAlbumArt", REG_DWORD,
                              &*setting, sizeof(DWORD));
        CMusicLibrary library;
        ASSERT_TRUE(library.Open());
        EXPECT_EQ(Album(library, L"With")->Field(music::kAlbumJacket), L"") << setting.value_or(0);
    }
    DWORD one = 1;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Quillon\\Tessel\\Music", L"EnableWMAAlbumArt", REG_DWORD, &one,
                      sizeof(one));
    CMusicLibrary library;
    ASSERT_TRUE(library.Open());
    EXPECT_EQ(Album(library, L"With")->Field(music::kAlbumJacket), music / L"AlbumArt_{ID-1}_Large.jpg");
    EXPECT_EQ(Album(library, L"Without")->fields.count(music::kAlbumJacket), 0u);
}

TEST_F(LibraryTest, DatabaseJacketIsTheFirstExistingOfThreeFiles) {
    WriteFile(music / L"small.jpg", "jpeg");
    WriteFile(music / L"folder.jpg", "jpeg");
    standIns.SetFixture({L"db-album\tOne\tAbba\tA\t0\t" + (music / L"large.jpg") + L"\t" + (music / L"small.jpg") +
                             L"\t" + (music / L"folder.jpg") + L"\t",
                         L"db-album\tTwo\tAbba\tA\t0\t~\t!\t" + (music / L"folder.jpg") + L"\t",
                         L"db-album\tThree\t!\t!\t0\t~\t~\t~\t", L"db-album\tFour\t~\t~\t0\t~\t~\t~\t"});
    CMusicLibrary library;
    ASSERT_TRUE(library.Open());
    EXPECT_EQ(Album(library, L"One")->Field(music::kAlbumJacket), music / L"small.jpg");
    EXPECT_EQ(Album(library, L"Two")->Field(music::kAlbumJacket), music / L"folder.jpg");
    ASSERT_NE(Album(library, L"Three"), nullptr) << "failing readings give defaults";
    EXPECT_EQ(Album(library, L"Three")->Field(music::kAlbumIndexKey), L"ZZ");
    EXPECT_EQ(Album(library, L"Three")->Field(music::kAlbumArtist), L"");
    ASSERT_NE(Album(library, L"Four"), nullptr) << "a row without an artist or index key is still an album";
    EXPECT_EQ(Album(library, L"Four")->Field(music::kAlbumArtist), L"");
    EXPECT_EQ(Album(library, L"Four")->Field(music::kAlbumIndexKey), L"ZZ");
}

TEST_F(LibraryTest, BusyDatabaseIsWaitedForAndItsFoldersKept) {
    standIns.SetSwitch(L"MediaDatabase", L"BusyCount", 2);
    standIns.SetSwitch(L"MediaPlayer", L"Off", 1);
    standIns.SetFixture({L"folder\tC:\\Music", L"folder\tD:\\Songs"});
    CMusicLibrary library;
    EXPECT_TRUE(library.Open());
    EXPECT_EQ(standIns.Switch(L"MediaDatabase", L"BusyCount"), std::optional<DWORD>(0));
    EXPECT_EQ(library.musicFolders(), (Lines{L"C:\\Music", L"D:\\Songs"}));
}

TEST_F(LibraryTest, NeitherSourceMeansNoLibrary) {
    standIns.SetSwitch(L"MediaDatabase", L"Off", 1);
    standIns.SetSwitch(L"MediaPlayer", L"Off", 1);
    CMusicLibrary library;
    EXPECT_FALSE(library.Open());
    EXPECT_TRUE(library.albums().empty());
}

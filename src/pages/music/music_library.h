// The user's music as the wake-up timer offers it: albums and songs gathered from the media database service
// and the media player's library, albums in index order with their jacket pictures.
#pragma once
#include "pages/music/album_rules.h"
#include "win32/com.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IWMPCore;
struct IWMPMediaCollection;
struct IMediaDatabase;

// The texts lie in the library's own store (tens of thousands of songs are not allocated one string at a time)
// and stay valid until the library opens again or is destroyed.
struct SongRecord {
    std::wstring_view trackingId;
    std::wstring_view sourcePath;
    // Title, album title and author are kept XML-escaped.
    std::wstring_view title;
    std::wstring_view albumTitle;
    std::wstring_view author;
};

inline constexpr wchar_t kMusicRegistryKey[] = L"SOFTWARE\\Quillon\\Tessel\\Music";

class CMusicLibrary {
public:
    CMusicLibrary();
    ~CMusicLibrary();
    CMusicLibrary(const CMusicLibrary&) = delete;
    CMusicLibrary& operator=(const CMusicLibrary&) = delete;

    // Reads both sources afresh; true when either could be read.
    bool Open();

    const std::vector<music::AlbumRecord>& albums() const { return albums_; }
    // Unique by tracking identifier; album records link their songs by index into this list.
    const std::vector<SongRecord>& songs() const { return songs_; }
    const std::vector<std::wstring>& musicFolders() const { return musicFolders_; }

private:
    void Clear();
    bool ReadMediaDatabase();
    void ReadDatabaseSongs(IMediaDatabase* database);
    void ReadDatabaseAlbums(IMediaDatabase* database);
    bool ReadMediaPlayer();
    bool ReadPlayerSongs();
    void ReadPlayerAlbums();
    void ReserveSongs(long announced);
    std::optional<size_t> SongIndex(std::wstring_view trackingId) const;
    std::wstring_view Keep(std::wstring_view text);
    std::wstring_view KeepEscaped(std::wstring_view text);
    void AddSong(const SongRecord& song);

    struct SongStore;
    // Made afresh by each Open; the song records point into it.
    std::unique_ptr<SongStore> store_;

    win32::ComPtr<IWMPCore> player_;
    win32::ComPtr<IWMPMediaCollection> collection_;
    std::vector<std::wstring> musicFolders_;
    std::vector<music::AlbumRecord> albums_;
    std::vector<SongRecord> songs_;
    // Albums of both sources while Open gathers them.
    music::AlbumSet gathered_;
};

// The user's music as the wake-up timer offers it: albums and songs gathered from the media database service
// and the media player's library, albums in index order with their jacket pictures.
#pragma once
#include "modules/music/album_rules.h"
#include "win32/com.h"

#include <string>
#include <unordered_map>
#include <vector>

struct IWMPCore;
struct IWMPMediaCollection;
struct IMediaDatabase;

struct SongRecord {
    std::wstring trackingId;
    std::wstring sourcePath;
    // Title, album title and author are kept XML-escaped.
    std::wstring title;
    std::wstring albumTitle;
    std::wstring author;
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
    const std::vector<SongRecord>& songs() const { return songs_; }
    const SongRecord* FindSong(const std::wstring& trackingId) const;
    const std::vector<std::wstring>& musicFolders() const { return musicFolders_; }

private:
    void Clear();
    bool ReadMediaDatabase();
    void ReadDatabaseSongs(IMediaDatabase* database);
    void ReadDatabaseAlbums(IMediaDatabase* database);
    bool ReadMediaPlayer();
    bool ReadPlayerSongs();
    void ReadPlayerAlbums();
    void AddSong(SongRecord song);

    win32::ComPtr<IWMPCore> player_;
    win32::ComPtr<IWMPMediaCollection> collection_;
    std::vector<std::wstring> musicFolders_;
    std::vector<music::AlbumRecord> albums_;
    std::vector<SongRecord> songs_;
    std::unordered_map<std::wstring, size_t> songIndex_;
};

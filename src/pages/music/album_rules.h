// Album records and the rules that order them, tell two of them apart and give each its index letter.
#pragma once
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace music {

enum AlbumField : int {
    kAlbumId = 0,
    kAlbumTitle = 1,
    kAlbumIndexKey = 2,
    kAlbumArtist = 3,
    kAlbumMarked = 4,
    kAlbumJacket = 100,
};

struct AlbumRecord {
    std::map<int, std::wstring> fields;
    // The album's songs, as indices into the song records of the library that made the album.
    std::vector<size_t> songs;

    std::wstring Field(int key) const {
        auto found = fields.find(key);
        return found == fields.end() ? std::wstring() : found->second;
    }
};

// "A" to "Z" from the artist's first upper-case letter (a leading "the " dropped from names longer than five
// characters), otherwise "ZZ".
std::wstring IndexKeyOfArtist(const std::wstring& artist);
// Files of this kind (".dsf", any case) are not offered.
bool IsDsfFile(std::wstring_view path);
// The user's locale collation, ignoring case: negative, zero or positive.
int CompareIgnoringCase(const std::wstring& a, const std::wstring& b);
// By index key (ordinal), then artist, then title.
bool AlbumSortsBefore(const AlbumRecord& a, const AlbumRecord& b);
// Same artist and title, and the same songs.
bool IsSameAlbum(const AlbumRecord& a, const AlbumRecord& b);
struct AlbumOrder {
    bool operator()(const AlbumRecord& a, const AlbumRecord& b) const { return AlbumSortsBefore(a, b); }
};
// Albums in order while they are gathered: a tree, as thousands of them arrive in no order and a sorted vector
// would move half its records for every one inserted.
using AlbumSet = std::multiset<AlbumRecord, AlbumOrder>;
// Inserts before the first record that does not sort before `record`, unless that record is the same album.
void InsertAlbum(AlbumSet& albums, AlbumRecord record);
// The jacket picture the media player keeps beside an album's songs: "<folder>\AlbumArt_<id>_Large.jpg".
std::wstring PlayerJacketPath(const std::wstring& songPath, const std::wstring& albumId);

} // namespace music

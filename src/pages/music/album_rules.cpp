#include "pages/music/album_rules.h"

#include "win32/strings.h"

#include <windows.h>

#include <algorithm>

namespace music {
namespace {

// The field without a copy; comparisons run many times per inserted album.
const std::wstring& FieldOf(const AlbumRecord& album, int key) {
    static const std::wstring empty;
    auto found = album.fields.find(key);
    return found == album.fields.end() ? empty : found->second;
}

} // namespace

std::wstring IndexKeyOfArtist(const std::wstring& artist) {
    std::wstring name = artist;
    if (name.size() > 5 && win32::EqualsNoCase(std::wstring_view(name).substr(0, 4), L"the ")) {
        name.erase(0, 4);
        name.erase(0, name.find_first_not_of(L" \x3000\t"));
    }
    if (!name.empty() && name[0] >= L'A' && name[0] <= L'Z')
        return std::wstring(1, name[0]);
    return L"ZZ";
}

bool IsDsfFile(std::wstring_view path) {
    return path.size() >= 4 && win32::EqualsNoCase(path.substr(path.size() - 4), L".dsf");
}

int CompareIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), int(a.size()), b.c_str(), int(b.size())) -
           CSTR_EQUAL;
}

bool AlbumSortsBefore(const AlbumRecord& a, const AlbumRecord& b) {
    const int byKey = FieldOf(a, kAlbumIndexKey).compare(FieldOf(b, kAlbumIndexKey));
    if (byKey != 0)
        return byKey < 0;
    const int byArtist = CompareIgnoringCase(FieldOf(a, kAlbumArtist), FieldOf(b, kAlbumArtist));
    if (byArtist != 0)
        return byArtist < 0;
    return CompareIgnoringCase(FieldOf(a, kAlbumTitle), FieldOf(b, kAlbumTitle)) < 0;
}

bool IsSameAlbum(const AlbumRecord& a, const AlbumRecord& b) {
    if (CompareIgnoringCase(FieldOf(a, kAlbumArtist), FieldOf(b, kAlbumArtist)) != 0 ||
        CompareIgnoringCase(FieldOf(a, kAlbumTitle), FieldOf(b, kAlbumTitle)) != 0 || a.songs.size() != b.songs.size())
        return false;
    std::vector<size_t> left = a.songs, right = b.songs;
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    return left == right;
}

void InsertAlbum(AlbumSet& albums, AlbumRecord record) {
    auto at = albums.lower_bound(record);
    if (at != albums.end() && IsSameAlbum(*at, record))
        return;
    // Just before `at`, after every record that sorts before this one.
    albums.emplace_hint(at, std::move(record));
}

std::wstring PlayerJacketPath(const std::wstring& songPath, const std::wstring& albumId) {
    const size_t cut = songPath.find_last_of(L'\\');
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : songPath.substr(0, cut);
    return folder + L"\\AlbumArt_" + albumId + L"_Large.jpg";
}

} // namespace music

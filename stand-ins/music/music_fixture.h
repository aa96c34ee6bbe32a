// The music both media stand-ins serve, from the UTF-8 file named by HKCU\Software\SkylumeStandIns\Music
// "Fixture". One record per line, fields separated by tabs; a field "~" is an attribute the item lacks, "!"
// one whose reading fails.
//   folder    <path>                                             a music folder of the media database
//   db-song   <tracking id> <path> <title> <album> <artist>      a song row of the media database
//   db-album  <album> <artist> <index key> <marked> <large jacket> <small jacket> <folder jacket> <ids;...>
//   song      <TrackingID> <SourceURL> <Title> <WM/AlbumTitle> <Author> <WM/AlbumArtist> <AlbumID>
//             an audio item of the media player's library
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Views into the fixture's text, which the fixture keeps for as long as it lives.
using Fields = std::vector<std::wstring_view>;

struct MusicFixture {
    std::wstring text;
    std::vector<std::wstring> folders;
    std::vector<Fields> databaseSongs;
    std::vector<Fields> databaseAlbums;
    std::vector<Fields> playerSongs;
};

// Shared and never moved, so that the fields stay valid.
std::shared_ptr<const MusicFixture> LoadMusicFixture();

inline constexpr wchar_t kMissingField[] = L"~";
inline constexpr wchar_t kFailingField[] = L"!";

} // namespace standin

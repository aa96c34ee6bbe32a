#include "modules/music/music_library.h"

#include "modules/music/media_component.h"
#include "modules/music/media_database.h"
#include "win32/registry.h"
#include "xmldata/xml_escape.h"

#include <wmp.h>

#include <algorithm>

namespace {

constexpr DWORD kBusyRetryMs = 500;

// The album query: audio albums, grouped by album, with these attributes.
constexpr wchar_t kAlbumCondition[] = L"223 = \"101\"";
constexpr LONG kAlbumAttributes[] = {215, 214, 132, -3};
constexpr LONG kAlbumAttributeFlags[] = {1, 1, 1, 1};
constexpr wchar_t kAlbumGrouping[] = L"AlbumID";

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The attribute's text; `missing` tells whether the row lacks it (as opposed to another failure).
std::optional<std::wstring> RowAttribute(IMediaRowSet* rows, LONG row, LONG id, bool* missing = nullptr) {
    win32::Bstr value;
    const HRESULT hr = rows->GetAttribute(row, id, value.put());
    if (missing)
        *missing = hr == kMediaAttributeMissing;
    if (FAILED(hr))
        return std::nullopt;
    return value.str();
}

std::vector<std::wstring> SplitTrackingIds(const std::wstring& text) {
    std::vector<std::wstring> ids;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(L';', start), text.size());
        if (end > start)
            ids.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return ids;
}

std::optional<std::wstring> MediaInfo(IWMPMedia* media, const wchar_t* name) {
    win32::Bstr attribute(name), value;
    if (FAILED(media->getItemInfo(attribute.get(), value.put())))
        return std::nullopt;
    return value.str();
}

std::optional<std::wstring> MediaInfoByAtom(IWMPMedia* media, long atom) {
    win32::Bstr value;
    if (FAILED(media->getItemInfoByAtom(atom, value.put())))
        return std::nullopt;
    return value.str();
}

win32::ComPtr<IWMPMedia> PlaylistItem(IWMPPlaylist* list, long index) {
    win32::ComPtr<IWMPMedia> media;
    if (FAILED(list->get_Item(index, media.put())))
        media.reset();
    return media;
}

long PlaylistCount(IWMPPlaylist* list) {
    long count = 0;
    return SUCCEEDED(list->get_count(&count)) ? count : 0;
}

} // namespace

CMusicLibrary::CMusicLibrary() = default;
CMusicLibrary::~CMusicLibrary() = default;

void CMusicLibrary::Clear() {
    musicFolders_.clear();
    albums_.clear();
    songs_.clear();
    songIndex_.clear();
}

bool CMusicLibrary::Open() {
    Clear();
    const bool database = ReadMediaDatabase();
    const bool player = ReadMediaPlayer();
    return database || player;
}

const SongRecord* CMusicLibrary::FindSong(const std::wstring& trackingId) const {
    auto found = songIndex_.find(trackingId);
    return found == songIndex_.end() ? nullptr : &songs_[found->second];
}

void CMusicLibrary::AddSong(SongRecord song) {
    if (songIndex_.count(song.trackingId))
        return;
    songIndex_.emplace(song.trackingId, songs_.size());
    songs_.push_back(std::move(song));
}

bool CMusicLibrary::ReadMediaDatabase() {
    win32::ComPtr<IMediaDatabase> database;
    if (FAILED(music::CreateMediaComponent(kMediaDatabaseClassId, CLSCTX_ALL, kMediaDatabaseInterfaceId,
                                           database.putVoid())) ||
        !database)
        return false;
    HRESULT hr = database->Open(2, 0, 0);
    // A busy database is waited for without limit, as long as it says it is busy.
    while (hr == kMediaDatabaseBusy) {
        ::Sleep(kBusyRetryMs);
        hr = database->Open(2, 0, 0);
    }
    if (FAILED(hr))
        return false;
    SAFEARRAY* folders = nullptr;
    if (SUCCEEDED(database->GetMusicFolders(&folders)) && folders) {
        BSTR* items = nullptr;
        if (SUCCEEDED(::SafeArrayAccessData(folders, reinterpret_cast<void**>(&items)))) {
            for (ULONG i = 0; i < folders->rgsabound[0].cElements; ++i)
                musicFolders_.emplace_back(items[i] ? items[i] : L"", items[i] ? ::SysStringLen(items[i]) : 0);
            ::SafeArrayUnaccessData(folders);
        }
        ::SafeArrayDestroy(folders);
    }
    ReadDatabaseSongs(database.get());
    ReadDatabaseAlbums(database.get());
    return true;
}

void CMusicLibrary::ReadDatabaseSongs(IMediaDatabase* database) {
    win32::ComPtr<IMediaRowSet> rows;
    LONG count = 0;
    if (FAILED(database->QuerySongs(rows.put())) || !rows || FAILED(rows->GetCount(&count)))
        return;
    namespace attribute = media_attribute;
    for (LONG row = 0; row < count; ++row) {
        auto tracking = RowAttribute(rows.get(), row, attribute::kTrackingIds);
        auto path = RowAttribute(rows.get(), row, attribute::kSourcePath);
        if (!tracking || !path || music::IsDsfFile(*path))
            continue;
        SongRecord song;
        song.trackingId = *tracking;
        song.sourcePath = *path;
        song.title = xmldata::XmlEscape(RowAttribute(rows.get(), row, attribute::kSongTitle).value_or(L""));
        song.albumTitle = xmldata::XmlEscape(RowAttribute(rows.get(), row, attribute::kGroupName).value_or(L""));
        song.author = xmldata::XmlEscape(RowAttribute(rows.get(), row, attribute::kArtist).value_or(L""));
        AddSong(std::move(song));
    }
}

void CMusicLibrary::ReadDatabaseAlbums(IMediaDatabase* database) {
    win32::Bstr condition(kAlbumCondition), grouping(kAlbumGrouping);
    LONG count = -1;
    win32::ComPtr<IMediaRowSet> rows;
    if (FAILED(database->QueryAlbums(condition.get(), LONG(std::size(kAlbumAttributes)), kAlbumAttributes,
                                     kAlbumAttributeFlags, grouping.get(), &count, rows.put())) ||
        !rows)
        return;
    namespace attribute = media_attribute;
    for (LONG row = 0; row < count; ++row) {
        music::AlbumRecord album;
        bool missing = false;
        auto artist = RowAttribute(rows.get(), row, attribute::kArtist, &missing);
        if (!artist && missing)
            continue;
        album.fields[music::kAlbumArtist] = xmldata::XmlEscape(artist.value_or(L""));
        auto indexKey = RowAttribute(rows.get(), row, attribute::kIndexKey, &missing);
        if (!indexKey && missing)
            continue;
        album.fields[music::kAlbumIndexKey] = xmldata::XmlEscape(indexKey.value_or(L"ZZ"));
        album.fields[music::kAlbumTitle] =
            xmldata::XmlEscape(RowAttribute(rows.get(), row, attribute::kGroupName).value_or(L""));
        if (RowAttribute(rows.get(), row, attribute::kMarked).value_or(L"") == L"1")
            album.fields[music::kAlbumMarked] = L"1";
        for (LONG jacket : {attribute::kJacketLarge, attribute::kJacketSmall, attribute::kJacketFolder}) {
            auto path = RowAttribute(rows.get(), row, jacket);
            if (path && !path->empty() && FileExists(*path)) {
                album.fields[music::kAlbumJacket] = *path;
                break;
            }
        }
        for (const std::wstring& id :
             SplitTrackingIds(RowAttribute(rows.get(), row, attribute::kTrackingIds).value_or(L"")))
            if (songIndex_.count(id))
                album.songs.push_back(id);
        music::InsertAlbum(albums_, std::move(album));
    }
}

bool CMusicLibrary::ReadMediaPlayer() {
    CLSID playerClass;
    if (FAILED(::CLSIDFromProgID(L"WMPlayer.OCX", &playerClass)) ||
        FAILED(music::CreateMediaComponent(playerClass, CLSCTX_ALL, __uuidof(IWMPCore), player_.putVoid())) || !player_)
        return false;
    if (FAILED(player_->get_mediaCollection(collection_.put())) || !collection_)
        return false;
    if (!ReadPlayerSongs())
        return false;
    ReadPlayerAlbums();
    return true;
}

bool CMusicLibrary::ReadPlayerSongs() {
    const wchar_t* const names[] = {L"TrackingID", L"SourceURL", L"Title", L"WM/AlbumTitle", L"Author"};
    long atoms[5] = {};
    for (int i = 0; i < 5; ++i) {
        win32::Bstr name(names[i]);
        if (FAILED(collection_->getMediaAtom(name.get(), &atoms[i])))
            return false;
    }
    win32::Bstr mediaType(L"MediaType"), audio(L"Audio");
    win32::ComPtr<IWMPPlaylist> all;
    if (FAILED(collection_->getByAttribute(mediaType.get(), audio.get(), all.put())) || !all)
        return false;
    const long count = PlaylistCount(all.get());
    for (long index = 0; index < count; ++index) {
        win32::ComPtr<IWMPMedia> media = PlaylistItem(all.get(), index);
        if (!media)
            continue;
        std::optional<std::wstring> values[5];
        bool complete = true;
        for (int i = 0; i < 5 && complete; ++i) {
            values[i] = MediaInfoByAtom(media.get(), atoms[i]);
            complete = values[i].has_value() && !(i == 1 && music::IsDsfFile(*values[1]));
        }
        if (!complete)
            continue;
        AddSong({*values[0], *values[1], xmldata::XmlEscape(*values[2]), xmldata::XmlEscape(*values[3]),
                 xmldata::XmlEscape(*values[4])});
    }
    return true;
}

void CMusicLibrary::ReadPlayerAlbums() {
    win32::Bstr albumIdName(L"AlbumID"), audio(L"Audio");
    win32::ComPtr<IWMPStringCollection> ids;
    long count = 0;
    if (FAILED(collection_->getAttributeStringCollection(albumIdName.get(), audio.get(), ids.put())) || !ids ||
        FAILED(ids->get_count(&count)))
        return;
    const auto jacketSetting = win32::ReadRegDword(HKEY_CURRENT_USER, kMusicRegistryKey, L"EnableWMAAlbumArt");
    const bool lookForJackets = jacketSetting && *jacketSetting == 1;
    for (long index = 0; index < count; ++index) {
        win32::Bstr id;
        if (FAILED(ids->Item(index, id.put())))
            continue;
        win32::ComPtr<IWMPPlaylist> items;
        if (FAILED(collection_->getByAttribute(albumIdName.get(), id.get(), items.put())) || !items)
            continue;
        const long songCount = PlaylistCount(items.get());
        win32::ComPtr<IWMPMedia> first = songCount > 0 ? PlaylistItem(items.get(), 0) : nullptr;
        if (!first)
            continue;
        auto title = MediaInfo(first.get(), L"WM/AlbumTitle");
        auto artist = MediaInfo(first.get(), L"WM/AlbumArtist");
        if (!title || !artist)
            continue;
        music::AlbumRecord album;
        album.fields[music::kAlbumTitle] = xmldata::XmlEscape(*title);
        album.fields[music::kAlbumArtist] = xmldata::XmlEscape(*artist);
        album.fields[music::kAlbumIndexKey] = music::IndexKeyOfArtist(*artist);
        auto albumId = MediaInfo(first.get(), L"AlbumID");
        if (albumId)
            album.fields[music::kAlbumId] = *albumId;
        if (lookForJackets && albumId) {
            win32::Bstr source;
            if (SUCCEEDED(first->get_sourceURL(source.put()))) {
                const std::wstring jacket = music::PlayerJacketPath(source.str(), *albumId);
                if (FileExists(jacket))
                    album.fields[music::kAlbumJacket] = jacket;
            }
        }
        for (long song = 0; song < songCount; ++song) {
            win32::ComPtr<IWMPMedia> media = PlaylistItem(items.get(), song);
            auto tracking = media ? MediaInfo(media.get(), L"TrackingID") : std::nullopt;
            if (tracking && songIndex_.count(*tracking) &&
                std::find(album.songs.begin(), album.songs.end(), *tracking) == album.songs.end())
                album.songs.push_back(*tracking);
        }
        music::InsertAlbum(albums_, std::move(album));
    }
}

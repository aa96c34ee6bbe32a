#include "modules/music/music_library.h"

#include "modules/music/media_component.h"
#include "modules/music/media_database.h"
#include "win32/registry.h"
#include "xmldata/xml_escape.h"

#include <wmp.h>

#include <algorithm>
#include <memory_resource>
#include <unordered_map>

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

std::wstring_view View(const win32::Bstr& text) {
    return text.get() ? std::wstring_view(text.get(), ::SysStringLen(text.get())) : std::wstring_view();
}

// The attribute's text; nullopt when the row lacks it or the reading fails.
std::optional<std::wstring> RowAttribute(IMediaRowSet* rows, LONG row, LONG id) {
    win32::Bstr value;
    if (FAILED(rows->GetAttribute(row, id, value.put())))
        return std::nullopt;
    return value.str();
}

// For the song rows: the attribute read into `value`, which stays empty when the reading fails.
bool ReadRow(IMediaRowSet* rows, LONG row, LONG id, win32::Bstr& value) {
    return SUCCEEDED(rows->GetAttribute(row, id, value.put()));
}

std::vector<std::wstring_view> SplitTrackingIds(std::wstring_view text) {
    std::vector<std::wstring_view> ids;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(L';', start), text.size());
        if (end > start)
            ids.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return ids;
}

std::optional<std::wstring> MediaInfo(IWMPMedia* media, const win32::Bstr& name) {
    win32::Bstr value;
    if (FAILED(media->getItemInfo(name.get(), value.put())))
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

struct CMusicLibrary::SongStore {
    // The songs' texts and the index's nodes, in large blocks released together.
    std::pmr::monotonic_buffer_resource memory{size_t(1) << 16};
    std::pmr::unordered_map<std::wstring_view, size_t> index{&memory};
};

CMusicLibrary::CMusicLibrary() : store_(std::make_unique<SongStore>()) {}
CMusicLibrary::~CMusicLibrary() = default;

void CMusicLibrary::Clear() {
    musicFolders_.clear();
    albums_.clear();
    songs_.clear();
    gathered_.clear();
    store_ = std::make_unique<SongStore>();
}

bool CMusicLibrary::Open() {
    Clear();
    const bool database = ReadMediaDatabase();
    const bool player = ReadMediaPlayer();
    albums_.reserve(gathered_.size());
    while (!gathered_.empty())
        albums_.push_back(std::move(gathered_.extract(gathered_.begin()).value()));
    return database || player;
}

std::optional<size_t> CMusicLibrary::SongIndex(std::wstring_view trackingId) const {
    auto found = store_->index.find(trackingId);
    return found == store_->index.end() ? std::nullopt : std::optional<size_t>(found->second);
}

std::wstring_view CMusicLibrary::Keep(std::wstring_view text) {
    if (text.empty())
        return {};
    auto* kept = static_cast<wchar_t*>(store_->memory.allocate(text.size() * sizeof(wchar_t), alignof(wchar_t)));
    std::copy(text.begin(), text.end(), kept);
    return {kept, text.size()};
}

std::wstring_view CMusicLibrary::KeepEscaped(std::wstring_view text) {
    if (text.find_first_of(L"&\"'<>") == std::wstring_view::npos)
        return Keep(text);
    return Keep(xmldata::XmlEscape(std::wstring(text)));
}

// Room for the songs a source announces, so that tens of thousands of them are not moved and rehashed as they
// arrive; an absurd count from the source reserves no more than a large library needs.
void CMusicLibrary::ReserveSongs(long announced) {
    const size_t more = size_t(std::clamp(announced, 0L, 1L << 20));
    songs_.reserve(songs_.size() + more);
    store_->index.reserve(songs_.size() + more);
}

// The caller has made sure that the tracking identifier is not listed yet.
void CMusicLibrary::AddSong(const SongRecord& song) {
    store_->index.emplace(song.trackingId, songs_.size());
    songs_.push_back(song);
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
    ReserveSongs(count);
    win32::Bstr tracking, path, title, album, artist;
    for (LONG row = 0; row < count; ++row) {
        if (!ReadRow(rows.get(), row, attribute::kTrackingIds, tracking) ||
            !ReadRow(rows.get(), row, attribute::kSourcePath, path) || music::IsDsfFile(View(path)) ||
            SongIndex(View(tracking)))
            continue;
        ReadRow(rows.get(), row, attribute::kSongTitle, title);
        ReadRow(rows.get(), row, attribute::kGroupName, album);
        ReadRow(rows.get(), row, attribute::kArtist, artist);
        AddSong({Keep(View(tracking)), Keep(View(path)), KeepEscaped(View(title)), KeepEscaped(View(album)),
                 KeepEscaped(View(artist))});
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
        // An album the database holds without an artist or an index key is still an album: no artist, sorted last.
        music::AlbumRecord album;
        album.fields[music::kAlbumArtist] =
            xmldata::XmlEscape(RowAttribute(rows.get(), row, attribute::kArtist).value_or(L""));
        album.fields[music::kAlbumIndexKey] =
            xmldata::XmlEscape(RowAttribute(rows.get(), row, attribute::kIndexKey).value_or(L"ZZ"));
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
        for (std::wstring_view id :
             SplitTrackingIds(RowAttribute(rows.get(), row, attribute::kTrackingIds).value_or(L"")))
            if (auto song = SongIndex(id))
                album.songs.push_back(*song);
        music::InsertAlbum(gathered_, std::move(album));
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
    ReserveSongs(count);
    win32::Bstr values[5];
    for (long index = 0; index < count; ++index) {
        win32::ComPtr<IWMPMedia> media = PlaylistItem(all.get(), index);
        if (!media)
            continue;
        bool complete = true;
        for (int i = 0; i < 5 && complete; ++i)
            complete = SUCCEEDED(media->getItemInfoByAtom(atoms[i], values[i].put())) &&
                       !(i == 1 && music::IsDsfFile(View(values[1])));
        if (!complete || SongIndex(View(values[0])))
            continue;
        AddSong({Keep(View(values[0])), Keep(View(values[1])), KeepEscaped(View(values[2])),
                 KeepEscaped(View(values[3])), KeepEscaped(View(values[4]))});
    }
    return true;
}

void CMusicLibrary::ReadPlayerAlbums() {
    // The attribute names are made once: tens of thousands of items are asked for them.
    const win32::Bstr albumIdName(L"AlbumID"), audio(L"Audio"), titleName(L"WM/AlbumTitle"),
        artistName(L"WM/AlbumArtist"), trackingName(L"TrackingID");
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
        auto title = MediaInfo(first.get(), titleName);
        auto artist = MediaInfo(first.get(), artistName);
        if (!title || !artist)
            continue;
        music::AlbumRecord album;
        album.fields[music::kAlbumTitle] = xmldata::XmlEscape(*title);
        album.fields[music::kAlbumArtist] = xmldata::XmlEscape(*artist);
        album.fields[music::kAlbumIndexKey] = music::IndexKeyOfArtist(*artist);
        auto albumId = MediaInfo(first.get(), albumIdName);
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
        win32::Bstr tracking;
        for (long song = 0; song < songCount; ++song) {
            win32::ComPtr<IWMPMedia> media = PlaylistItem(items.get(), song);
            if (!media || FAILED(media->getItemInfo(trackingName.get(), tracking.put())))
                continue;
            auto linked = SongIndex(View(tracking));
            if (linked && std::find(album.songs.begin(), album.songs.end(), *linked) == album.songs.end())
                album.songs.push_back(*linked);
        }
        music::InsertAlbum(gathered_, std::move(album));
    }
}

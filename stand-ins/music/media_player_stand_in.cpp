// The media player's library under the "WMPlayer.OCX" programmatic id: the audio items of the music fixture,
// found by attribute, with album identifiers as a string collection. Only the calls a library reader makes are
// served; the player's playback side answers E_NOTIMPL.
#include "com_object.h"
#include "music_fixture.h"
#include "stand_ins.h"

#include <wmp.h>

#include <map>
#include <memory>
#include <unordered_map>

namespace {

#define NOT_SERVED(...)                                                                                                \
    HRESULT STDMETHODCALLTYPE __VA_ARGS__ override {                                                                   \
        return E_NOTIMPL;                                                                                              \
    }

// The attribute names of an item, in the fixture's field order.
const wchar_t* const kAttributes[] = {L"TrackingID", L"SourceURL",      L"Title",  L"WM/AlbumTitle",
                                      L"Author",     L"WM/AlbumArtist", L"AlbumID"};
constexpr int kAlbumIdField = 6;

// Attribute names are ASCII: an ordinal comparison ignoring case, not the locale's collation, which is slow
// for a lookup made once per item.
int AttributeIndex(BSTR name) {
    for (int i = 0; i < int(std::size(kAttributes)); ++i)
        if (name && ::CompareStringOrdinal(name, -1, kAttributes[i], -1, TRUE) == CSTR_EQUAL)
            return i;
    return -1;
}

struct Library {
    std::shared_ptr<const standin::MusicFixture> fixture;
    const std::vector<standin::Fields>& songs() const { return fixture->playerSongs; }
    std::vector<std::wstring> albumIds;
    std::unordered_map<std::wstring, std::vector<size_t>> songsByAlbum;
};

HRESULT FieldText(const standin::Fields& song, int index, BSTR* value) {
    *value = nullptr;
    if (index < 0 || size_t(index) >= song.size() || song[size_t(index)] == standin::kMissingField)
        return E_INVALIDARG;
    if (song[size_t(index)] == standin::kFailingField)
        return E_FAIL;
    *value = ::SysAllocStringLen(song[size_t(index)].data(), UINT(song[size_t(index)].size()));
    return S_OK;
}

class Media : public standin::ComObject<IWMPMedia> {
public:
    Media(std::shared_ptr<const Library> library, size_t song)
        : ComObject(__uuidof(IWMPMedia)), library_(std::move(library)), song_(song) {}
    STANDIN_DISPATCH_STUBS
    HRESULT STDMETHODCALLTYPE get_sourceURL(BSTR* url) override { return FieldText(Song(), 1, url); }
    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override { return FieldText(Song(), 2, name); }
    HRESULT STDMETHODCALLTYPE getItemInfo(BSTR name, BSTR* value) override {
        return FieldText(Song(), AttributeIndex(name), value);
    }
    HRESULT STDMETHODCALLTYPE getItemInfoByAtom(LONG atom, BSTR* value) override {
        return FieldText(Song(), int(atom), value);
    }
    NOT_SERVED(get_isIdentical(IWMPMedia*, VARIANT_BOOL*))
    NOT_SERVED(put_name(BSTR))
    NOT_SERVED(get_imageSourceWidth(LONG*))
    NOT_SERVED(get_imageSourceHeight(LONG*))
    NOT_SERVED(get_markerCount(LONG*))
    NOT_SERVED(getMarkerTime(LONG, double*))
    NOT_SERVED(getMarkerName(LONG, BSTR*))
    NOT_SERVED(get_duration(double*))
    NOT_SERVED(get_durationString(BSTR*))
    NOT_SERVED(get_attributeCount(LONG*))
    NOT_SERVED(getAttributeName(LONG, BSTR*))
    NOT_SERVED(setItemInfo(BSTR, BSTR))
    NOT_SERVED(isMemberOf(IWMPPlaylist*, VARIANT_BOOL*))
    NOT_SERVED(isReadOnlyItem(BSTR, VARIANT_BOOL*))

private:
    const standin::Fields& Song() const { return library_->songs()[song_]; }
    std::shared_ptr<const Library> library_;
    size_t song_;
};

class Playlist : public standin::ComObject<IWMPPlaylist> {
public:
    Playlist(std::shared_ptr<const Library> library, std::vector<size_t> songs)
        : ComObject(__uuidof(IWMPPlaylist)), library_(std::move(library)), songs_(std::move(songs)) {}
    STANDIN_DISPATCH_STUBS
    HRESULT STDMETHODCALLTYPE get_count(LONG* count) override {
        *count = LONG(songs_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, IWMPMedia** media) override {
        *media = nullptr;
        if (index < 0 || size_t(index) >= songs_.size())
            return E_INVALIDARG;
        *media = new Media(library_, songs_[size_t(index)]);
        return S_OK;
    }
    NOT_SERVED(get_name(BSTR*))
    NOT_SERVED(put_name(BSTR))
    NOT_SERVED(get_attributeCount(LONG*))
    NOT_SERVED(get_attributeName(LONG, BSTR*))
    NOT_SERVED(getItemInfo(BSTR, BSTR*))
    NOT_SERVED(setItemInfo(BSTR, BSTR))
    NOT_SERVED(get_isIdentical(IWMPPlaylist*, VARIANT_BOOL*))
    NOT_SERVED(clear())
    NOT_SERVED(insertItem(LONG, IWMPMedia*))
    NOT_SERVED(appendItem(IWMPMedia*))
    NOT_SERVED(removeItem(IWMPMedia*))
    NOT_SERVED(moveItem(LONG, LONG))

private:
    std::shared_ptr<const Library> library_;
    std::vector<size_t> songs_;
};

class StringCollection : public standin::ComObject<IWMPStringCollection> {
public:
    explicit StringCollection(std::shared_ptr<const Library> library)
        : ComObject(__uuidof(IWMPStringCollection)), library_(std::move(library)) {}
    STANDIN_DISPATCH_STUBS
    HRESULT STDMETHODCALLTYPE get_count(LONG* count) override {
        *count = LONG(library_->albumIds.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(LONG index, BSTR* text) override {
        *text = nullptr;
        if (index < 0 || size_t(index) >= library_->albumIds.size())
            return E_INVALIDARG;
        *text = ::SysAllocString(library_->albumIds[size_t(index)].c_str());
        return S_OK;
    }

private:
    std::shared_ptr<const Library> library_;
};

class MediaCollection : public standin::ComObject<IWMPMediaCollection> {
public:
    explicit MediaCollection(std::shared_ptr<const Library> library)
        : ComObject(__uuidof(IWMPMediaCollection)), library_(std::move(library)) {}
    STANDIN_DISPATCH_STUBS
    HRESULT STDMETHODCALLTYPE getByAttribute(BSTR attribute, BSTR value, IWMPPlaylist** items) override {
        const std::wstring name = attribute ? attribute : L"", wanted = value ? value : L"";
        std::vector<size_t> found;
        if (name == L"MediaType" && wanted == L"Audio") {
            for (size_t i = 0; i < library_->songs().size(); ++i)
                found.push_back(i);
        } else if (name == L"AlbumID") {
            auto album = library_->songsByAlbum.find(wanted);
            if (album != library_->songsByAlbum.end())
                found = album->second;
        } else {
            return E_INVALIDARG;
        }
        *items = new Playlist(library_, std::move(found));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE getAttributeStringCollection(BSTR attribute, BSTR mediaType,
                                                           IWMPStringCollection** strings) override {
        if (!attribute || ::lstrcmpiW(attribute, L"AlbumID") != 0 || !mediaType || ::lstrcmpW(mediaType, L"Audio") != 0)
            return E_INVALIDARG;
        *strings = new StringCollection(library_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE getMediaAtom(BSTR name, LONG* atom) override {
        *atom = AttributeIndex(name);
        return *atom < 0 ? E_INVALIDARG : S_OK;
    }
    NOT_SERVED(add(BSTR, IWMPMedia**))
    NOT_SERVED(getAll(IWMPPlaylist**))
    NOT_SERVED(getByName(BSTR, IWMPPlaylist**))
    NOT_SERVED(getByGenre(BSTR, IWMPPlaylist**))
    NOT_SERVED(getByAuthor(BSTR, IWMPPlaylist**))
    NOT_SERVED(getByAlbum(BSTR, IWMPPlaylist**))
    NOT_SERVED(remove(IWMPMedia*, VARIANT_BOOL))
    NOT_SERVED(setDeleted(IWMPMedia*, VARIANT_BOOL))
    NOT_SERVED(isDeleted(IWMPMedia*, VARIANT_BOOL*))

private:
    std::shared_ptr<const Library> library_;
};

class Player : public standin::ComObject<IWMPCore> {
public:
    Player() : ComObject(__uuidof(IWMPCore)) {
        auto library = std::make_shared<Library>();
        library->fixture = standin::LoadMusicFixture();
        for (size_t i = 0; i < library->songs().size(); ++i) {
            const std::wstring id(library->songs()[i][kAlbumIdField]);
            auto& members = library->songsByAlbum[id];
            if (members.empty())
                library->albumIds.push_back(id);
            members.push_back(i);
        }
        library_ = library;
    }
    STANDIN_DISPATCH_STUBS
    HRESULT STDMETHODCALLTYPE get_mediaCollection(IWMPMediaCollection** collection) override {
        *collection = new MediaCollection(library_);
        return S_OK;
    }
    NOT_SERVED(close())
    NOT_SERVED(get_URL(BSTR*))
    NOT_SERVED(put_URL(BSTR))
    NOT_SERVED(get_openState(WMPOpenState*))
    NOT_SERVED(get_playState(WMPPlayState*))
    NOT_SERVED(get_controls(IWMPControls**))
    NOT_SERVED(get_settings(IWMPSettings**))
    NOT_SERVED(get_currentMedia(IWMPMedia**))
    NOT_SERVED(put_currentMedia(IWMPMedia*))
    NOT_SERVED(get_playlistCollection(IWMPPlaylistCollection**))
    NOT_SERVED(get_versionInfo(BSTR*))
    NOT_SERVED(launchURL(BSTR))
    NOT_SERVED(get_network(IWMPNetwork**))
    NOT_SERVED(get_currentPlaylist(IWMPPlaylist**))
    NOT_SERVED(put_currentPlaylist(IWMPPlaylist*))
    NOT_SERVED(get_cdromCollection(IWMPCdromCollection**))
    NOT_SERVED(get_closedCaption(IWMPClosedCaption**))
    NOT_SERVED(get_isOnline(VARIANT_BOOL*))
    NOT_SERVED(get_Error(IWMPError**))
    NOT_SERVED(get_status(BSTR*))

private:
    std::shared_ptr<const Library> library_;
};

} // namespace

IUnknown* CreateMediaPlayer() {
    return new Player();
}

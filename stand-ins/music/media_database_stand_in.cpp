// The media database service: music folders, song rows and album rows from the music fixture. Switches
// (HKCU\Software\SkylumeStandIns\MediaDatabase): BusyCount (Open answers "busy" that many times).
#include "com_object.h"
#include "pages/music/media_database.h"
#include "music_fixture.h"
#include "stand_ins.h"

#include <algorithm>
#include <memory>

namespace {

class RowSet : public standin::ComObject<IMediaRowSet> {
public:
    // Every row holds the fixture's fields; `columns` names the attribute id of each field in order.
    RowSet(std::vector<LONG> columns, std::shared_ptr<const standin::MusicFixture> fixture,
           const std::vector<standin::Fields>& rows)
        : ComObject(kMediaRowSetInterfaceId), columns_(std::move(columns)), fixture_(std::move(fixture)), rows_(&rows) {
    }

    HRESULT STDMETHODCALLTYPE GetCount(LONG* count) override {
        *count = LONG(rows_->size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAttribute(LONG row, LONG attributeId, BSTR* value) override {
        *value = nullptr;
        if (row < 0 || size_t(row) >= rows_->size())
            return E_INVALIDARG;
        const standin::Fields& fields = (*rows_)[size_t(row)];
        const auto column = std::find(columns_.begin(), columns_.end(), attributeId);
        const size_t index = size_t(column - columns_.begin());
        if (column == columns_.end() || index >= fields.size() || fields[index] == standin::kMissingField)
            return kMediaAttributeMissing;
        if (fields[index] == standin::kFailingField)
            return E_FAIL;
        *value = ::SysAllocStringLen(fields[index].data(), UINT(fields[index].size()));
        return S_OK;
    }

private:
    std::vector<LONG> columns_;
    std::shared_ptr<const standin::MusicFixture> fixture_;
    const std::vector<standin::Fields>* rows_;
};

class MediaDatabase : public standin::ComObject<IMediaDatabase> {
public:
    MediaDatabase() : ComObject(kMediaDatabaseInterfaceId) {}

    HRESULT STDMETHODCALLTYPE Open(LONG mode, LONG, LONG) override {
        if (standin::TakeOneFromCount(L"MediaDatabase", L"BusyCount"))
            return kMediaDatabaseBusy;
        if (mode != 2)
            return E_INVALIDARG;
        fixture_ = standin::LoadMusicFixture();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMusicFolders(SAFEARRAY** folders) override {
        if (!fixture_)
            return E_UNEXPECTED;
        *folders = ::SafeArrayCreateVector(VT_BSTR, 0, ULONG(fixture_->folders.size()));
        for (LONG i = 0; i < LONG(fixture_->folders.size()); ++i) {
            BSTR text = ::SysAllocString(fixture_->folders[size_t(i)].c_str());
            ::SafeArrayPutElement(*folders, &i, text);
            ::SysFreeString(text);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QuerySongs(IMediaRowSet** rows) override {
        if (!fixture_)
            return E_UNEXPECTED;
        namespace a = media_attribute;
        *rows = new RowSet({a::kTrackingIds, a::kSourcePath, a::kSongTitle, a::kGroupName, a::kArtist}, fixture_,
                           fixture_->databaseSongs);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryAlbums(BSTR, LONG, const LONG*, const LONG*, BSTR, LONG* count,
                                          IMediaRowSet** rows) override {
        if (!fixture_)
            return E_UNEXPECTED;
        namespace a = media_attribute;
        *count = LONG(fixture_->databaseAlbums.size());
        *rows = new RowSet({a::kGroupName, a::kArtist, a::kIndexKey, a::kMarked, a::kJacketLarge, a::kJacketSmall,
                            a::kJacketFolder, a::kTrackingIds},
                           fixture_, fixture_->databaseAlbums);
        return S_OK;
    }

private:
    // Row sets share the fixture's tables instead of copying them.
    std::shared_ptr<const standin::MusicFixture> fixture_;
};

} // namespace

IUnknown* CreateMediaDatabase() {
    return new MediaDatabase();
}

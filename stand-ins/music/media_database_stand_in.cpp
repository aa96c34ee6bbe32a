// The media database service: music folders, song rows and album rows from the music fixture. Switches
// (HKCU\Software\SkylumeStandIns\MediaDatabase): BusyCount (Open answers "busy" that many times).
#include "com_object.h"
#include "modules/music/media_database.h"
#include "music_fixture.h"
#include "stand_ins.h"

#include <map>
#include <memory>

namespace {

class RowSet : public standin::ComObject<IMediaRowSet> {
public:
    // Each row maps attribute ids to the fixture's field text.
    using Row = std::map<LONG, std::wstring>;
    explicit RowSet(std::vector<Row> rows) : ComObject(kMediaRowSetInterfaceId), rows_(std::move(rows)) {}

    HRESULT STDMETHODCALLTYPE GetCount(LONG* count) override {
        *count = LONG(rows_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAttribute(LONG row, LONG attributeId, BSTR* value) override {
        *value = nullptr;
        if (row < 0 || size_t(row) >= rows_.size())
            return E_INVALIDARG;
        auto found = rows_[size_t(row)].find(attributeId);
        if (found == rows_[size_t(row)].end() || found->second == standin::kMissingField)
            return kMediaAttributeMissing;
        if (found->second == standin::kFailingField)
            return E_FAIL;
        *value = ::SysAllocString(found->second.c_str());
        return S_OK;
    }

private:
    std::vector<Row> rows_;
};

class MediaDatabase : public standin::ComObject<IMediaDatabase> {
public:
    MediaDatabase() : ComObject(kMediaDatabaseInterfaceId) {}

    HRESULT STDMETHODCALLTYPE Open(LONG mode, LONG, LONG) override {
        if (standin::TakeOneFromCount(L"MediaDatabase", L"BusyCount"))
            return kMediaDatabaseBusy;
        if (mode != 2)
            return E_INVALIDARG;
        fixture_ = std::make_unique<standin::MusicFixture>(standin::LoadMusicFixture());
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
        std::vector<RowSet::Row> table;
        for (const auto& f : fixture_->databaseSongs)
            table.push_back({{a::kTrackingIds, f[0]},
                             {a::kSourcePath, f[1]},
                             {a::kSongTitle, f[2]},
                             {a::kGroupName, f[3]},
                             {a::kArtist, f[4]}});
        *rows = new RowSet(std::move(table));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryAlbums(BSTR, LONG, const LONG*, const LONG*, BSTR, LONG* count,
                                          IMediaRowSet** rows) override {
        if (!fixture_)
            return E_UNEXPECTED;
        namespace a = media_attribute;
        std::vector<RowSet::Row> table;
        for (const auto& f : fixture_->databaseAlbums)
            table.push_back({{a::kGroupName, f[0]},
                             {a::kArtist, f[1]},
                             {a::kIndexKey, f[2]},
                             {a::kMarked, f[3]},
                             {a::kJacketLarge, f[4]},
                             {a::kJacketSmall, f[5]},
                             {a::kJacketFolder, f[6]},
                             {a::kTrackingIds, f[7]}});
        *count = LONG(table.size());
        *rows = new RowSet(std::move(table));
        return S_OK;
    }

private:
    std::unique_ptr<standin::MusicFixture> fixture_;
};

} // namespace

IUnknown* CreateMediaDatabase() {
    return new MediaDatabase();
}

// The photo module's data file: five per-layout view settings and the photo list, read and written under the
// named mutex that every process of the logon takes for this file.
#pragma once
#include "pages/photo/photo_item.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

inline constexpr wchar_t kPhotoDataMutexName[] = L"Local\\PhotoDataFileTessel110008260";

struct CPhotoViewConf {
    int slideshow = 0;
    int interval = photo::kMinInterval;
    bool operator==(const CPhotoViewConf&) const = default;
};
using PhotoViews = std::array<CPhotoViewConf, photo::kLayoutCount>;

class CPhotoData {
public:
    CPhotoData() = default;
    CPhotoData(const CPhotoData&) = delete;
    CPhotoData& operator=(const CPhotoData&) = delete;

    // Reads the file; with `purge` the cache files named by garbage entries are deleted and the entries dropped.
    bool Load(const std::wstring& path, bool purge);
    // Writes the file from scratch: the views, the shown items in order, the old garbage and the garbage of the
    // items removed since the load.
    bool Save(const std::wstring& path, const PhotoViews& views, const std::vector<CPhotoItem*>& shown);
    static void ReadGarbage(const std::wstring& path, std::vector<std::wstring>& garbage);
    bool IsModified(const PhotoViews& views, const std::vector<CPhotoItem*>& shown) const;
    CPhotoItem* FindRemoved(const std::wstring& path) const;
    // The views and every item (removed ones included), in file order.
    void Fill(PhotoViews& views, std::vector<CPhotoItem*>& shown) const;
    // Deletes every item read from the file.
    void Clear();

    // The data set owns every item it read, shown or removed; items the page creates belong to the page.
    const std::vector<std::unique_ptr<CPhotoItem>>& items() const { return items_; }
    const photo::FormatFlags& formats() const { return formats_; }
    const PhotoViews& views() const { return views_; }

private:
    bool Write(const std::wstring& path, const PhotoViews& views, const std::vector<CPhotoItem*>& shown);
    bool ReadDocument(xmldata::XmlWriter& document, bool purge);
    xmldata::XmlWriter BuildDocument(const PhotoViews& views, const std::vector<CPhotoItem*>& shown,
                                     const std::vector<std::wstring>& garbage) const;

    photo::FormatFlags formats_;
    PhotoViews views_{};
    std::vector<std::unique_ptr<CPhotoItem>> items_;
};

// The installer's fix-up: folder paths stored relative to the all-users application-data folder become absolute.
bool MakeFolderPathsAbsolute(const std::wstring& path);

namespace photo {
// The modules folder's "Photo\Cache" folder, where the display program keeps its copies.
std::wstring CacheFolder();
} // namespace photo

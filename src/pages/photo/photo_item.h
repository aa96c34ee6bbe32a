// The entries of the photo list: single photos and folders of photos, as the photo data file stores them.
#pragma once
#include "pages/photo/photo_rules.h"
#include "xmldata/xml_document.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CPhotoItem {
public:
    virtual ~CPhotoItem() = default;

    virtual std::wstring GetDisplayName() const = 0;
    // DrawText flags for the name in the photo list.
    virtual UINT GetTextFormat() const = 0;
    // Appends the item's element to `contents` (the caller writes the whitespace around it).
    virtual void Write(xmldata::XmlWriter& writer, xmldata::NodeRef contents) const = 0;
    // Fills the item from its element; 0 when the element must be dropped.
    virtual int Read(xmldata::NodeRef element) = 0;
    // 1 with `path` set when there is a picture to preview; `formats` are the extra formats that may be shown.
    virtual int GetPreviewPath(std::wstring& path, const photo::FormatFlags& formats) const = 0;
    // The cache copies that become garbage when the item goes away.
    virtual void CollectGarbage(std::vector<std::wstring>& garbage) const = 0;
    // 1 only for a removed item whose key is `path`, ignoring case.
    virtual int Matches(const std::wstring& path) const = 0;

    int removed = 0;
    std::wstring path;
    int loaded = 0;
};

class CPhotoFileItem : public CPhotoItem {
public:
    CPhotoFileItem() = default;
    explicit CPhotoFileItem(std::wstring filePath) { path = std::move(filePath); }

    std::wstring GetDisplayName() const override;
    UINT GetTextFormat() const override;
    void Write(xmldata::XmlWriter& writer, xmldata::NodeRef contents) const override;
    int Read(xmldata::NodeRef element) override;
    int GetPreviewPath(std::wstring& path, const photo::FormatFlags& formats) const override;
    void CollectGarbage(std::vector<std::wstring>& garbage) const override;
    int Matches(const std::wstring& path) const override;

    // Where the photo was copied from when `path` names the copy; absent when the element had no `src`.
    std::optional<std::wstring> src;

private:
    bool HasSource() const { return src && !src->empty(); }
};

class CPhotoFolderItem : public CPhotoItem {
public:
    CPhotoFolderItem() = default;
    explicit CPhotoFolderItem(std::wstring folderPath) { path = std::move(folderPath); }

    std::wstring GetDisplayName() const override { return path; }
    UINT GetTextFormat() const override;
    void Write(xmldata::XmlWriter& writer, xmldata::NodeRef contents) const override;
    int Read(xmldata::NodeRef element) override;
    int GetPreviewPath(std::wstring& path, const photo::FormatFlags& formats) const override;
    void CollectGarbage(std::vector<std::wstring>& garbage) const override;
    int Matches(const std::wstring& path) const override;

    std::vector<std::unique_ptr<CPhotoFileItem>> files;
};

namespace photo {
// The first picture directly inside `folder` (JPEG, then GIF and PNG where `formats` allow), or nothing.
std::optional<std::wstring> FindFirstPicture(const std::wstring& folder, const FormatFlags& formats);
// Whether a directory search for exactly `path` finds an entry, and whether that entry is a file.
bool FileMatches(const std::wstring& path);
// While one lives on the thread, FileMatches answers a path it has answered before from memory: a long list
// names the same photos many times, and one load needs no fresher answer than its own first one.
class FileMatchCache {
public:
    FileMatchCache();
    ~FileMatchCache();
    FileMatchCache(const FileMatchCache&) = delete;
    FileMatchCache& operator=(const FileMatchCache&) = delete;

private:
    FileMatchCache* outer_;
    std::unordered_map<std::wstring, bool> answers_;
    friend bool FileMatches(const std::wstring& path);
};
bool IsExistingFile(const std::wstring& path);
} // namespace photo

#include "modules/photo/photo_data.h"

#include "shell/folders.h"
#include "win32/handle.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

// Holds the photo data file's mutex from construction until Release or destruction; waits without time-out.
class PhotoFileLock {
public:
    PhotoFileLock() : mutex_(::CreateMutexW(nullptr, FALSE, kPhotoDataMutexName)) {
        // An abandoned mutex is owned all the same: its last owner died, the file is still whole (atomic writes).
        owned_ = mutex_ && ::WaitForSingleObject(mutex_.get(), INFINITE) != WAIT_FAILED;
    }
    ~PhotoFileLock() { Release(); }
    PhotoFileLock(const PhotoFileLock&) = delete;
    PhotoFileLock& operator=(const PhotoFileLock&) = delete;
    void Release() {
        if (owned_)
            ::ReleaseMutex(mutex_.get());
        owned_ = false;
    }

private:
    win32::KernelHandle mutex_;
    bool owned_ = false;
};

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsElement(const xmldata::Node& node) {
    DOMNodeType type = NODE_INVALID;
    xmldata::Check(node->get_nodeType(&type));
    return type == NODE_ELEMENT;
}

} // namespace

namespace photo {
std::wstring CacheFolder() {
    std::wstring folder = shell::GetModulesFolder(true, L"Photo");
    return folder.empty() ? folder : folder + L"\\Cache\\";
}
} // namespace photo

void CPhotoData::Clear() {
    items_.clear();
}

bool CPhotoData::Load(const std::wstring& path, bool purge) {
    PhotoFileLock lock;
    if (!Exists(path))
        return false;
    auto document = xmldata::XmlWriter::Edit(path);
    if (!document.loaded())
        return false;
    if (!purge)
        lock.Release();
    if (!ReadDocument(document, purge))
        return false;
    if (purge)
        document.Save(path);
    return true;
}

bool CPhotoData::ReadDocument(xmldata::XmlWriter& document, bool purge) {
    Clear();
    xmldata::Node main = xmldata::SelectNode(document.DocumentNode(), L"./conf_data/main");
    if (!main)
        return false;
    for (int i = 0; i < photo::kLayoutCount; ++i) {
        xmldata::Node layout = xmldata::FindChild(main, photo::kLayoutNames[i]);
        if (!layout)
            return false;
        auto slideshow = xmldata::SelectText(layout, L"./slideshow");
        if (!slideshow)
            return false;
        views_[i].slideshow = *slideshow == L"true" ? 1 : 0;
        auto interval = xmldata::SelectText(layout, L"./interval");
        if (!interval)
            return false;
        views_[i].interval = photo::ParseDecimal(*interval);
        if (views_[i].interval < photo::kMinInterval || views_[i].interval > photo::kMaxInterval)
            return false;
    }
    xmldata::Node contents = xmldata::FindChild(main, L"contents");
    if (!contents)
        return false;
    if (auto list = xmldata::GetAttribute(contents, L"file_format"))
        photo::ParseFileFormat(*list, formats_);

    const std::wstring cache = purge ? photo::CacheFolder() : std::wstring();
    for (const xmldata::Node& child : xmldata::ChildNodes(contents)) {
        if (!IsElement(child))
            continue;
        const std::wstring name = xmldata::BaseName(child);
        std::unique_ptr<CPhotoItem> item;
        if (name == L"folder")
            item = std::make_unique<CPhotoFolderItem>();
        else if (name == L"file")
            item = std::make_unique<CPhotoFileItem>();
        if (item) {
            if (item->Read(child))
                items_.push_back(std::move(item));
        } else if (name == L"garbage" && purge) {
            if (!cache.empty()) {
                const std::wstring target = cache + photo::GarbageFileName(xmldata::Text(child));
                ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(target.c_str());
            }
            document.RemoveChild(contents, child);
        }
    }
    return true;
}

void CPhotoData::ReadGarbage(const std::wstring& path, std::vector<std::wstring>& garbage) {
    xmldata::XmlDocument document;
    if (!document.Load(path))
        return;
    for (const xmldata::Node& node : document.SelectNodes(L"./main/contents/garbage"))
        garbage.push_back(xmldata::Text(node));
}

bool CPhotoData::Save(const std::wstring& path, const PhotoViews& views, const std::vector<CPhotoItem*>& shown) {
    // A document that cannot be built fails the save before the file is touched.
    try {
        return Write(path, views, shown);
    } catch (const xmldata::XmlError&) {
        return false;
    }
}

bool CPhotoData::Write(const std::wstring& path, const PhotoViews& views, const std::vector<CPhotoItem*>& shown) {
    auto writer = xmldata::XmlWriter::Rewrite();
    xmldata::Element root = writer.Root();
    writer.AppendText(root, L"\r\n\t");
    xmldata::Element main = writer.AppendElement(root, L"main");
    writer.AppendText(main, L"\r\n");
    for (int i = 0; i < photo::kLayoutCount; ++i) {
        writer.AppendText(main, L"\t\t");
        xmldata::Element layout = writer.AppendElement(main, photo::kLayoutNames[i]);
        writer.AppendText(layout, L"\r\n\t\t\t");
        writer.AppendElement(layout, L"slideshow", views[i].slideshow ? L"true" : L"false");
        writer.AppendText(layout, L"\r\n\t\t\t");
        writer.AppendElement(layout, L"interval", std::to_wstring(views[i].interval));
        writer.AppendText(layout, L"\r\n\t\t");
        writer.AppendText(main, L"\r\n");
    }
    writer.AppendText(main, L"\t\t");
    xmldata::Element contents = writer.AppendElement(main, L"contents");
    const std::wstring formatList = photo::FileFormatText(formats_);
    if (!formatList.empty())
        writer.SetAttribute(contents, L"file_format", formatList);
    writer.AppendText(contents, L"\r\n");

    PhotoFileLock lock;
    std::vector<std::wstring> garbage;
    ReadGarbage(path, garbage);
    for (const CPhotoItem* item : shown) {
        writer.AppendText(contents, L"\t\t\t");
        item->Write(writer, contents);
        writer.AppendText(contents, L"\r\n");
    }
    for (const auto& item : items_)
        if (item->removed == 1)
            item->CollectGarbage(garbage);
    for (const std::wstring& entry : garbage) {
        writer.AppendText(contents, L"\t\t\t");
        writer.AppendElement(contents, L"garbage", entry);
        writer.AppendText(contents, L"\r\n");
    }
    writer.AppendText(contents, L"\t\t");
    writer.AppendText(main, L"\r\n\t");
    writer.AppendText(root, L"\r\n");
    return writer.Save(path);
}

bool CPhotoData::IsModified(const PhotoViews& views, const std::vector<CPhotoItem*>& shown) const {
    if (views != views_ || shown.size() != items_.size())
        return true;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i] != items_[i].get())
            return true;
    return false;
}

CPhotoItem* CPhotoData::FindRemoved(const std::wstring& path) const {
    for (const auto& item : items_)
        if (item->Matches(path))
            return item.get();
    return nullptr;
}

void CPhotoData::Fill(PhotoViews& views, std::vector<CPhotoItem*>& shown) const {
    views = views_;
    for (const auto& item : items_)
        shown.push_back(item.get());
}

bool MakeFolderPathsAbsolute(const std::wstring& path) {
    if (!Exists(path))
        return false;
    auto writer = xmldata::XmlWriter::Edit(path);
    if (!writer.loaded())
        return false;
    xmldata::Node main = xmldata::SelectNode(writer.DocumentNode(), L"./conf_data/main");
    xmldata::Node contents = main ? xmldata::FindChild(main, L"contents") : nullptr;
    if (!contents)
        return false;
    wchar_t common[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common);
    for (const xmldata::Node& child : xmldata::ChildNodes(contents)) {
        if (!IsElement(child) || xmldata::BaseName(child) != L"folder")
            continue;
        // An absolute path is left alone, so running the fix-up again changes nothing.
        auto folder = xmldata::GetAttribute(child, L"path");
        if (folder && ::PathIsRelativeW(folder->c_str()))
            writer.SetAttribute(child, L"path", std::wstring(common) + L"\\" + *folder);
    }
    return writer.Save(path);
}

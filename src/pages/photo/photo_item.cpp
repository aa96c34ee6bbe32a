#include "pages/photo/photo_item.h"

#include "win32/handle.h"
#include "win32/strings.h"

namespace photo {
namespace {
thread_local FileMatchCache* activeCache = nullptr;

bool FindMatch(const std::wstring& path) {
    // Without wildcards a search finds exactly what the attributes query finds, at a fraction of the cost.
    if (path.find_first_of(L"*?") == std::wstring::npos)
        return !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    WIN32_FIND_DATAW entry;
    win32::FindHandle find(::FindFirstFileW(path.c_str(), &entry));
    return bool(find);
}
} // namespace

FileMatchCache::FileMatchCache() : outer_(activeCache) {
    activeCache = this;
}

FileMatchCache::~FileMatchCache() {
    activeCache = outer_;
}

bool FileMatches(const std::wstring& path) {
    if (!activeCache)
        return FindMatch(path);
    auto [answer, added] = activeCache->answers_.try_emplace(path, false);
    if (added)
        answer->second = FindMatch(path);
    return answer->second;
}

bool IsExistingFile(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    win32::FindHandle find(::FindFirstFileW(path.c_str(), &entry));
    return find && !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> FindFirstPicture(const std::wstring& folder, const FormatFlags& formats) {
    std::vector<const wchar_t*> patterns = {L"/*.jpg", L"/*.jpeg"};
    if (formats.gif)
        patterns.push_back(L"/*.gif");
    if (formats.png)
        patterns.push_back(L"/*.png");
    for (const wchar_t* pattern : patterns) {
        WIN32_FIND_DATAW entry;
        win32::FindHandle find(::FindFirstFileW((folder + pattern).c_str(), &entry));
        if (!find)
            continue;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                return folder + L"\\" + entry.cFileName;
        } while (::FindNextFileW(find.get(), &entry));
    }
    return std::nullopt;
}

} // namespace photo

std::wstring CPhotoFileItem::GetDisplayName() const {
    return photo::FileDisplayName(HasSource() ? *src : path);
}

UINT CPhotoFileItem::GetTextFormat() const {
    return DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
}

void CPhotoFileItem::Write(xmldata::XmlWriter& writer, xmldata::NodeRef contents) const {
    xmldata::Element element = writer.AppendElement(contents, L"file", path);
    if (src)
        writer.SetAttribute(element, L"src", *src);
}

int CPhotoFileItem::Read(xmldata::NodeRef element) {
    loaded = 1;
    path = xmldata::Text(element);
    if (!photo::FileMatches(path))
        return 0;
    if (auto source = xmldata::GetAttribute(element, L"src"))
        src = std::move(*source);
    return 1;
}

int CPhotoFileItem::GetPreviewPath(std::wstring& preview, const photo::FormatFlags&) const {
    preview = path;
    return 1;
}

void CPhotoFileItem::CollectGarbage(std::vector<std::wstring>& garbage) const {
    if (HasSource())
        garbage.push_back(path);
}

int CPhotoFileItem::Matches(const std::wstring& key) const {
    return removed == 1 && win32::EqualsNoCase(HasSource() ? *src : path, key) ? 1 : 0;
}

UINT CPhotoFolderItem::GetTextFormat() const {
    return DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS;
}

void CPhotoFolderItem::Write(xmldata::XmlWriter& writer, xmldata::NodeRef contents) const {
    xmldata::Element element = writer.AppendElement(contents, L"folder");
    writer.SetAttribute(element, L"path", path);
    writer.AppendText(element, L"\r\n");
    for (const auto& file : files) {
        writer.AppendText(element, L"\t\t\t\t");
        file->Write(writer, element);
        writer.AppendText(element, L"\r\n");
    }
    writer.AppendText(element, L"\t\t\t");
}

int CPhotoFolderItem::Read(xmldata::NodeRef element) {
    loaded = 1;
    files.clear();
    auto folder = xmldata::GetAttribute(element, L"path");
    if (!folder)
        return 0;
    path = std::move(*folder);
    for (const xmldata::Node& node : xmldata::SelectNodes(element, L"./file")) {
        auto file = std::make_unique<CPhotoFileItem>();
        if (file->Read(node))
            files.push_back(std::move(file));
    }
    return 1;
}

int CPhotoFolderItem::GetPreviewPath(std::wstring& preview, const photo::FormatFlags& formats) const {
    auto found = photo::FindFirstPicture(path, formats);
    if (!found)
        return 0;
    preview = std::move(*found);
    return 1;
}

void CPhotoFolderItem::CollectGarbage(std::vector<std::wstring>& garbage) const {
    for (const auto& file : files)
        file->CollectGarbage(garbage);
}

int CPhotoFolderItem::Matches(const std::wstring& key) const {
    return removed == 1 && win32::EqualsNoCase(path, key) ? 1 : 0;
}

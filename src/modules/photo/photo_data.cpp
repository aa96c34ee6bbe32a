#include "modules/photo/photo_data.h"

#include "shell/folders.h"
#include "win32/handle.h"
#include "win32/named_mutex.h"
#include "xmldata/xml_escape.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <optional>
#include <string_view>

namespace {

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The child elements in document order, walked sibling by sibling: a DOM child list read by index costs a walk
// from its start per item in Wine's MSXML, which made a 10,000-item file take seconds.
std::vector<xmldata::Node> ChildElements(xmldata::NodeRef parent) {
    std::vector<xmldata::Node> elements;
    xmldata::Node child;
    xmldata::Check(parent.get()->get_firstChild(child.put()));
    while (child) {
        DOMNodeType type = NODE_INVALID;
        xmldata::Check(child->get_nodeType(&type));
        xmldata::Node next;
        xmldata::Check(child->get_nextSibling(next.put()));
        if (type == NODE_ELEMENT)
            elements.push_back(std::move(child));
        child = std::move(next);
    }
    return elements;
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

// True when the bytes cannot hold a garbage element, so parsing them would find none: text starting with '<' (an
// ASCII-compatible encoding) without NUL bytes, without the element name and without a document type declaration
// (whose entities could expand to one). Anything else is parsed.
bool HoldsNoGarbage(const std::string& bytes) {
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return text.starts_with("<") && text.find('\0') == text.npos && text.find("garbage") == text.npos &&
           text.find("<!DOCTYPE") == text.npos;
}

// Appends text for an element or a double-quoted attribute value; CR, LF and TAB become character references so
// that the parser's line-end and attribute-value normalisation give back exactly the same string.
void AppendEscaped(std::wstring& xml, const std::wstring& text) {
    // Most paths need no escaping; they are appended as they are, without the copies escaping makes.
    if (text.find_first_of(L"&\"'<>\r\n\t") == std::wstring::npos) {
        xml += text;
        return;
    }
    for (wchar_t c : xmldata::XmlEscape(text)) {
        if (c == L'\r')
            xml += L"&#13;";
        else if (c == L'\n')
            xml += L"&#10;";
        else if (c == L'\t')
            xml += L"&#9;";
        else
            xml += c;
    }
}

void AppendFileXml(std::wstring& xml, const CPhotoFileItem& file) {
    xml += L"<file";
    if (file.src) {
        xml += L" src=\"";
        AppendEscaped(xml, *file.src);
        xml += L'"';
    }
    xml += L'>';
    AppendEscaped(xml, file.path);
    xml += L"</file>";
}

// The element the item's Write makes, as text; false for an item of another kind.
bool AppendItemXml(std::wstring& xml, const CPhotoItem* item) {
    if (const auto* file = dynamic_cast<const CPhotoFileItem*>(item)) {
        AppendFileXml(xml, *file);
        return true;
    }
    const auto* folder = dynamic_cast<const CPhotoFolderItem*>(item);
    if (!folder)
        return false;
    xml += L"<folder path=\"";
    AppendEscaped(xml, folder->path);
    xml += L"\">\r\n";
    for (const auto& file : folder->files) {
        xml += L"\t\t\t\t";
        AppendFileXml(xml, *file);
        xml += L"\r\n";
    }
    xml += L"\t\t\t</folder>";
    return true;
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
    win32::ScopedNamedMutex lock(kPhotoDataMutexName);
    if (!Exists(path))
        return false;
    auto document = xmldata::XmlWriter::Edit(path);
    if (!document.loaded())
        return false;
    if (!purge)
        lock.Release();
    const photo::FileMatchCache matches;
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
    for (const xmldata::Node& child : ChildElements(contents)) {
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
    // Most files hold no garbage; a look at the bytes spares the parse of a large file on every save.
    const auto bytes = ReadBytes(path);
    if (!bytes || HoldsNoGarbage(*bytes))
        return;
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

// The document is composed as text and parsed once: building it node by node costs several DOM calls per item,
// which dominated the save of a long list. Text the parser refuses (characters XML cannot hold) and item kinds
// without a text form fall back to the node-by-node build, which saves whatever the DOM accepts.
bool CPhotoData::Write(const std::wstring& path, const PhotoViews& views, const std::vector<CPhotoItem*>& shown) {
    std::wstring xml = L"<conf_data>\r\n\t<main>\r\n";
    for (int i = 0; i < photo::kLayoutCount; ++i) {
        const std::wstring name = photo::kLayoutNames[i];
        xml += L"\t\t<" + name + L">\r\n\t\t\t<slideshow>" + (views[i].slideshow ? L"true" : L"false") +
               L"</slideshow>\r\n\t\t\t<interval>" + std::to_wstring(views[i].interval) + L"</interval>\r\n\t\t</" +
               name + L">\r\n";
    }
    xml += L"\t\t<contents";
    const std::wstring formatList = photo::FileFormatText(formats_);
    if (!formatList.empty()) {
        xml += L" file_format=\"";
        AppendEscaped(xml, formatList);
        xml += L'"';
    }
    xml += L">\r\n";

    win32::ScopedNamedMutex lock(kPhotoDataMutexName);
    std::vector<std::wstring> garbage;
    ReadGarbage(path, garbage);
    for (const auto& item : items_)
        if (item->removed == 1)
            item->CollectGarbage(garbage);
    bool composed = true;
    for (const CPhotoItem* item : shown) {
        xml += L"\t\t\t";
        composed = composed && AppendItemXml(xml, item);
        xml += L"\r\n";
    }
    for (const std::wstring& entry : garbage) {
        xml += L"\t\t\t<garbage>";
        AppendEscaped(xml, entry);
        xml += L"</garbage>\r\n";
    }
    xml += L"\t\t</contents>\r\n\t</main>\r\n</conf_data>";

    auto writer = xmldata::XmlWriter::Rewrite();
    if (composed) {
        // Whitespace-only text nodes are part of the layout and must survive the parse.
        xmldata::Check(writer.dom()->put_preserveWhiteSpace(VARIANT_TRUE));
        VARIANT_BOOL parsed = VARIANT_FALSE;
        xmldata::Check(writer.dom()->loadXML(win32::Bstr(xml).get(), &parsed));
        if (parsed == VARIANT_TRUE)
            return writer.Save(path);
    }
    return BuildDocument(views, shown, garbage).Save(path);
}

xmldata::XmlWriter CPhotoData::BuildDocument(const PhotoViews& views, const std::vector<CPhotoItem*>& shown,
                                             const std::vector<std::wstring>& garbage) const {
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
    for (const CPhotoItem* item : shown) {
        writer.AppendText(contents, L"\t\t\t");
        item->Write(writer, contents);
        writer.AppendText(contents, L"\r\n");
    }
    for (const std::wstring& entry : garbage) {
        writer.AppendText(contents, L"\t\t\t");
        writer.AppendElement(contents, L"garbage", entry);
        writer.AppendText(contents, L"\r\n");
    }
    writer.AppendText(contents, L"\t\t");
    writer.AppendText(main, L"\r\n\t");
    writer.AppendText(root, L"\r\n");
    return writer;
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
    for (const xmldata::Node& child : ChildElements(contents)) {
        if (xmldata::BaseName(child) != L"folder")
            continue;
        // An absolute path is left alone, so running the fix-up again changes nothing.
        auto folder = xmldata::GetAttribute(child, L"path");
        if (folder && ::PathIsRelativeW(folder->c_str()))
            writer.SetAttribute(child, L"path", std::wstring(common) + L"\\" + *folder);
    }
    return writer.Save(path);
}

#include "modules/photo/photo_data.h"

#include "shell/folders.h"
#include "win32/atomic_file.h"
#include "win32/handle.h"
#include "win32/named_mutex.h"
#include "win32/strings.h"
#include "xmldata/xml_escape.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
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

// Whether `text` holds a NUL byte, the name "garbage" or "<!DOCTYPE", in one pass: the C library's searches walk
// the text once per pattern and start again at every '<' and 'g'.
bool HoldsGarbageSign(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0' || (c == 'g' && text.substr(i).starts_with("garbage")) ||
            (c == '<' && text.substr(i).starts_with("<!DOCTYPE")))
            return true;
    }
    return false;
}

// Whether the file could hold a garbage element, read in pieces: a buffer of a large file's whole size costs more
// in Wine's heap than the read itself. Only text that starts with '<' (an ASCII-compatible encoding) and holds no
// NUL byte, no element name "garbage" and no document type declaration (whose entities could expand to one) is
// known to hold none; a file that cannot be read holds none either. Anything else is parsed.
bool MayHoldGarbage(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    constexpr size_t kPiece = 64 * 1024, kOverlap = 8; // the longest pattern less one
    std::string buffer(kOverlap + kPiece, '\0');
    size_t kept = 0;
    for (bool first = true;; first = false) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer.data() + kept, DWORD(kPiece), &read, nullptr))
            return false;
        std::string_view text(buffer.data(), kept + read);
        if (first) {
            std::string_view start = text;
            if (start.starts_with("\xEF\xBB\xBF"))
                start.remove_prefix(3);
            if (!start.starts_with("<"))
                return true;
        }
        if (HoldsGarbageSign(text))
            return true;
        if (read == 0)
            return false;
        kept = std::min(kOverlap, text.size());
        std::memmove(buffer.data(), text.data() + text.size() - kept, kept);
    }
}

// The file's text, composed directly: a photo list as DOM nodes costs several COM calls per item, and parsing
// composed text costs several times the write itself. Written in UTF-8 without a declaration, which is what the
// DOM's save of a new document writes.
class PhotoXmlText {
public:
    explicit PhotoXmlText(const std::wstring& path) : file_(path) { buffer_.reserve(kPiece + 4096); }

    void Raw(std::string_view ascii) {
        buffer_ += ascii;
        Flush(false);
    }
    // False when the text holds a character that XML cannot hold.
    bool Text(std::wstring_view text) {
        ok_ = ok_ && xmldata::AppendEscapedUtf8(buffer_, text);
        Flush(false);
        return ok_;
    }
    // An element with an optional attribute and its text; one without text is written "<name/>", as the DOM does.
    void Element(std::string_view name, std::string_view attribute, const std::wstring* value,
                 const std::wstring& text) {
        buffer_ += '<';
        buffer_ += name;
        if (value) {
            buffer_ += ' ';
            buffer_ += attribute;
            buffer_ += "=\"";
            Text(*value);
            buffer_ += '"';
        }
        if (text.empty()) {
            Raw("/>");
            return;
        }
        buffer_ += '>';
        Text(text);
        buffer_ += "</";
        buffer_ += name;
        Raw(">");
    }
    bool Item(const CPhotoItem* item) {
        if (const auto* file = dynamic_cast<const CPhotoFileItem*>(item)) {
            Element("file", "src", file->src ? &*file->src : nullptr, file->path);
            return ok_;
        }
        const auto* folder = dynamic_cast<const CPhotoFolderItem*>(item);
        if (!folder)
            return false;
        Raw("<folder path=\"");
        Text(folder->path);
        Raw("\">\r\n");
        for (const auto& file : folder->files) {
            Raw("\t\t\t\t");
            Element("file", "src", file->src ? &*file->src : nullptr, file->path);
            Raw("\r\n");
        }
        Raw("\t\t\t</folder>");
        return ok_;
    }
    bool ok() const { return ok_; }
    // Puts the file in place; false when it cannot be written.
    bool Commit() {
        Flush(true);
        return file_.Commit();
    }

private:
    static constexpr size_t kPiece = 64 * 1024;
    void Flush(bool all) {
        if (ok_ && (all || buffer_.size() >= kPiece)) {
            file_.Write(buffer_);
            buffer_.clear();
        }
    }

    win32::AtomicFileWriter file_;
    std::string buffer_;
    bool ok_ = true;
};

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
    if (!MayHoldGarbage(path))
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

// The text is composed directly into the file. Text that XML cannot hold and item kinds without a text form fall
// back to the node-by-node build, which saves whatever the DOM accepts.
bool CPhotoData::Write(const std::wstring& path, const PhotoViews& views, const std::vector<CPhotoItem*>& shown) {
    std::string head = "<conf_data>\r\n\t<main>\r\n";
    for (int i = 0; i < photo::kLayoutCount; ++i) {
        const std::string name = win32::WideToUtf8(photo::kLayoutNames[i]);
        head += "\t\t<" + name + ">\r\n\t\t\t<slideshow>" + (views[i].slideshow ? "true" : "false") +
                "</slideshow>\r\n\t\t\t<interval>" + std::to_string(views[i].interval) + "</interval>\r\n\t\t</" +
                name + ">\r\n";
    }
    head += "\t\t<contents";
    const std::wstring formatList = photo::FileFormatText(formats_);
    if (!formatList.empty())
        head += " file_format=\"" + win32::WideToUtf8(formatList) + "\"";
    head += ">\r\n";

    win32::ScopedNamedMutex lock(kPhotoDataMutexName);
    std::vector<std::wstring> garbage;
    ReadGarbage(path, garbage);
    for (const auto& item : items_)
        if (item->removed == 1)
            item->CollectGarbage(garbage);
    {
        PhotoXmlText text(path);
        text.Raw(head);
        bool composed = true;
        for (const CPhotoItem* item : shown) {
            text.Raw("\t\t\t");
            composed = composed && text.Item(item);
            text.Raw("\r\n");
        }
        for (const std::wstring& entry : garbage) {
            text.Raw("\t\t\t");
            text.Element("garbage", {}, nullptr, entry);
            text.Raw("\r\n");
        }
        text.Raw("\t\t</contents>\r\n\t</main>\r\n</conf_data>\r\n");
        if (composed && text.ok())
            return text.Commit();
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
        // An absolute path is left alone, so running the fix-up again changes nothing. A path rooted without a
        // drive ("\Quillon\...") would name a folder on whichever drive is current: it joins the base too.
        auto folder = xmldata::GetAttribute(child, L"path");
        if (!folder)
            continue;
        const bool rootedWithoutDrive = folder->starts_with(L'\\') && !folder->starts_with(L"\\\\");
        if (::PathIsRelativeW(folder->c_str()) || rootedWithoutDrive)
            writer.SetAttribute(child, L"path",
                                std::wstring(common) + L"\\" + folder->substr(rootedWithoutDrive ? 1 : 0));
    }
    return writer.Save(path);
}

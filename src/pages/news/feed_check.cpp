#include "pages/news/feed_check.h"

#include "shell/folders.h"
#include "win32/atomic_file.h"
#include "win32/handle.h"
#include "xmldata/xml_document.h"
#include "xmldata/xml_encoding.h"

#include <cwctype>
#include <string_view>

namespace news {
namespace {

// "Msxml2.DOMDocument", the version-independent class.
constexpr CLSID kDomDocumentClassId = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
constexpr DWORD kChunkSize = 1024;

// A DOM document with synchronous loading and validation on parse; the class found by id or by ProgID.
win32::ComPtr<IXMLDOMDocument2> CreateDocument(bool byProgId) {
    CLSID classId = kDomDocumentClassId;
    if (byProgId)
        xmldata::Check(::CLSIDFromProgID(L"Msxml2.DOMDocument", &classId));
    win32::ComPtr<IXMLDOMDocument2> doc;
    xmldata::Check(
        ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IXMLDOMDocument2), doc.putVoid()));
    xmldata::Check(doc->put_async(VARIANT_FALSE));
    xmldata::Check(doc->put_validateOnParse(VARIANT_TRUE));
    return doc;
}

bool LoadFile(IXMLDOMDocument2* doc, const std::wstring& path) {
    win32::Variant source;
    source.get()->vt = VT_BSTR;
    source.get()->bstrVal = ::SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return SUCCEEDED(doc->load(*source.get(), &loaded)) && loaded == VARIANT_TRUE;
}

// Wine's parser knows few encodings (not Shift_JIS or EUC-JP, in which many Japanese feeds come). A feed that
// does not load and declares an encoding the system can convert is given to the parser once more as UTF-16 text
// whose declaration says so. Where the parser knows the encoding the first load has succeeded already.
bool LoadConverted(IXMLDOMDocument2* doc, const std::wstring& path) {
    const std::optional<std::string> bytes = win32::ReadWholeFile(path);
    if (!bytes || bytes->rfind("<?xml", 0) != 0)
        return false;
    const size_t end = bytes->find("?>");
    if (end == std::string::npos)
        return false;
    const std::wstring declaration(bytes->begin() + 5, bytes->begin() + std::ptrdiff_t(end)); // ASCII in all of them
    const std::optional<std::wstring> encoding = xmldata::DeclaredEncoding(declaration);
    const unsigned codePage = encoding ? xmldata::CodePageOfEncoding(*encoding) : 0;
    if (codePage == 0 || codePage == CP_UTF8 || codePage == 1200 || codePage == 1201)
        return false;
    const std::string_view rest = std::string_view(*bytes).substr(end + 2);
    std::wstring text = L"<?xml" + xmldata::WithEncoding(declaration, L"UTF-16") + L"?>";
    const size_t start = text.size();
    const int units = ::MultiByteToWideChar(codePage, 0, rest.data(), int(rest.size()), nullptr, 0);
    if (units <= 0)
        return false;
    text.resize(start + size_t(units));
    ::MultiByteToWideChar(codePage, 0, rest.data(), int(rest.size()), text.data() + start, units);
    const win32::Bstr source(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return source.get() && SUCCEEDED(doc->loadXML(source.get(), &loaded)) && loaded == VARIANT_TRUE;
}

// Streams the open download into `file`; the last count Read returned.
int CopyToFile(CHttpDownload& download, HANDLE file, const CancelFlag& cancel, bool& writeFailed) {
    char buffer[kChunkSize];
    int count = 0;
    for (;;) {
        count = download.Read(buffer, kChunkSize, cancel);
        if (count < 1 || cancel.load() == 1)
            return count;
        DWORD written = 0;
        if (!::WriteFile(file, buffer, DWORD(count), &written, nullptr) || written != DWORD(count)) {
            writeFailed = true;
            return count;
        }
    }
}

} // namespace

namespace detail {

win32::ComPtr<IXMLDOMDocument2> LoadFeedStylesheet() {
    auto stylesheet = CreateDocument(false);
    if (!LoadFile(stylesheet.get(), shell::GetProgramFilePath(kFeedStylesheetName)))
        return {};
    return stylesheet;
}

int TransformForTitle(IXMLDOMDocument2* stylesheet, const std::wstring& feedPath, std::wstring& title) {
    auto feed = CreateDocument(true);
    if (!LoadFile(feed.get(), feedPath) && !LoadConverted(feed.get(), feedPath))
        return kFeedNotAFeed;
    win32::Bstr cache;
    xmldata::Check(feed->transformNode(stylesheet, cache.put()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    xmldata::Check(feed->loadXML(cache.get(), &loaded));
    xmldata::Node titleNode = xmldata::SelectNode(feed.get(), L"/cachedata/title");
    if (!titleNode)
        return kFeedNotAFeed;
    title = xmldata::Text(titleNode);
    return kFeedOk;
}

} // namespace detail

int CheckFeed(const CancelFlag& cancel, const std::wstring& url, std::wstring& title) {
    CHttpDownload download(-1);
    switch (download.Open(url, cancel, true)) {
    case CHttpDownload::kOpened:
        break;
    case CHttpDownload::kNotConnected:
        return kFeedNotConnected;
    case CHttpDownload::kRequestFailed:
        return kFeedNoAnswer;
    case CHttpDownload::kCancelled:
        return kFeedCancelled;
    default:
        return kFeedFailed;
    }

    const std::wstring folder = shell::GetModulesFolder(true, L"RSS");
    if (folder.empty())
        return kFeedFailed;
    // A check that was killed or hung leaves its scratch file behind; a live check keeps its file open from the
    // download to the end, so only leftovers go.
    win32::RemoveAbandonedTempFiles(folder, L"tmp");
    // The file is made and opened in one step (a name from GetTempFileNameW would exist closed for a moment, and
    // a parallel check's clean-up would take it for a leftover).
    wchar_t tempPath[MAX_PATH] = {};
    win32::FileHandle file;
    UINT unique = (::GetCurrentProcessId() * 7919u + ::GetTickCount()) & 0xFFFF;
    for (int attempt = 0; attempt < 0x10000 && !file; ++attempt) {
        unique = (unique % 0xFFFF) + 1; // 1 to 0xFFFF: with 0, GetTempFileNameW would make the file itself
        if (!::GetTempFileNameW(folder.c_str(), L"tmp", unique, tempPath))
            return kFeedFailed;
        file.reset(::CreateFileW(tempPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!file && ::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ACCESS_DENIED)
            return kFeedFailed;
    }
    if (!file)
        return kFeedFailed;
    // The download streams to this scratch file chunk by chunk, so it cannot be written in one step; it is
    // never a data file, and it is deleted on every path below.
    struct DeleteOnExit {
        const wchar_t* path;
        ~DeleteOnExit() { ::DeleteFileW(path); }
    } cleanup{tempPath};
    // Held open without delete sharing until the check ends (closed before `cleanup` deletes the file), so that
    // another check's clean-up does not take the file for a leftover while the parser still needs it.
    win32::FileHandle keepAlive;

    int lastCount = 0;
    bool writeFailed = false;
    {
        keepAlive.reset(::CreateFileW(tempPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        lastCount = CopyToFile(download, file.get(), cancel, writeFailed);
        file.reset();
    }
    download.Close();
    if (lastCount < 0)
        return kFeedNotConnected;
    if (cancel.load() == 1)
        return kFeedCancelled;
    if (writeFailed)
        return kFeedFailed;
    try {
        auto stylesheet = detail::LoadFeedStylesheet();
        if (!stylesheet)
            return kFeedFailed;
        return detail::TransformForTitle(stylesheet.get(), tempPath, title);
    } catch (const xmldata::XmlError&) {
        return kFeedFailed;
    }
}

} // namespace news

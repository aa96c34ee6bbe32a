#include "modules/news/channel_list.h"

#include "modules/news/named_mutex.h"
#include "modules/news/url_text.h"
#include "shell/folders.h"

#include <shlwapi.h>

namespace news {
namespace {

using xmldata::Node;
using xmldata::XmlDocument;
using xmldata::XmlWriter;

std::wstring FilePath(const std::wstring& cacheFolder) {
    return cacheFolder + L"\\" + kChannelListFileName;
}

std::wstring AttributeOrEmpty(xmldata::NodeRef element, const wchar_t* name) {
    return xmldata::GetAttribute(element, name).value_or(std::wstring());
}

// The body's outlines whose `xmlUrl` is exactly `url`.
bool HasOutlineWithUrl(const XmlDocument& doc, xmldata::NodeRef body, const std::wstring& url) {
    if (url.find(L'"') == std::wstring::npos)
        return bool(doc.SelectNode(L"outline[@xmlUrl = \"" + url + L"\"]", body));
    // A double quote cannot stand inside the query's literal; compare the outlines one by one instead.
    for (const Node& outline : doc.SelectNodes(L"outline", body))
        if (xmldata::GetAttribute(outline, L"xmlUrl") == url)
            return true;
    return false;
}

void EnsureFolder(const std::wstring& folder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
}

// A new document with the header and an empty body, laid out one element per line.
struct NewList {
    XmlWriter writer = XmlWriter::Rewrite(xmldata::Layout::Compact, L"opml");
    xmldata::Element body;
};
NewList StartNewList(const ChannelListHeader& header) {
    NewList list;
    XmlWriter& w = list.writer;
    auto root = w.Root();
    w.SetAttribute(root, L"version", header.version);
    w.AppendText(root, L"\r\n\t");
    auto head = w.AppendElement(root, L"head");
    w.AppendText(head, L"\r\n\t\t");
    w.AppendElement(head, L"title", header.title);
    w.AppendText(head, L"\r\n\t");
    w.AppendText(root, L"\r\n\t");
    list.body = w.AppendElement(root, L"body");
    return list;
}
void AppendOutline(XmlWriter& w, xmldata::NodeRef body, const CRSSChannel& channel) {
    w.AppendText(body, L"\r\n\t\t");
    WriteChannelOutline(channel, w, w.AppendElement(body, L"outline"));
}
bool FinishAndSave(NewList& list, const std::wstring& path) {
    list.writer.AppendText(list.body, L"\r\n\t");
    list.writer.AppendText(list.writer.Root(), L"\r\n");
    return list.writer.Save(path);
}

struct PreviousChannels {
    std::vector<std::unique_ptr<CRSSChannel>> records;
    std::vector<std::wstring> garbage;
};
// Every usable outline, not only the 50 a list shows: those past the limit are dropped by the save, and their
// cache folders must become garbage like those of removed sites.
PreviousChannels ReadPreviousChannels(const std::wstring& path) {
    PreviousChannels previous;
    XmlDocument doc;
    if (!doc.Load(path))
        return previous;
    const Node document = doc.DocumentNode();
    for (const Node& outline : doc.SelectNodes(L"./opml/body/outline", document)) {
        auto record = std::make_unique<CRSSChannel>();
        if (ReadChannelOutline(*record, outline, false))
            previous.records.push_back(std::move(record));
    }
    for (const Node& garbage : doc.SelectNodes(L"./opml/body/garbage", document))
        previous.garbage.push_back(xmldata::Text(garbage));
    return previous;
}

} // namespace

std::wstring DefaultChannelListTitle() {
    return L"Skylume RSS channels";
}

std::wstring NewsCacheFolder() {
    std::wstring rss = shell::GetModulesFolder(false, L"RSS");
    return rss.empty() ? std::wstring() : rss + L"\\Cache";
}

bool ChannelListKeepsUrl(const std::wstring& url) {
    return url.empty() || (IsValidUrlText(url) && ::PathIsURLW(url.c_str()));
}

bool ReadChannelOutline(CRSSChannel& channel, xmldata::NodeRef outline, bool ignoreCacheFields) {
    channel.text = AttributeOrEmpty(outline, L"text");
    std::optional<std::wstring> type = xmldata::GetAttribute(outline, L"type");
    if (!type || ::lstrcmpiW(type->c_str(), L"RSS") != 0)
        return false;
    if (!ignoreCacheFields) {
        channel.cachePath = AttributeOrEmpty(outline, L"cachePath");
        channel.cacheSize = AttributeOrEmpty(outline, L"cacheSize");
    }
    std::optional<std::wstring> url = xmldata::GetAttribute(outline, L"xmlUrl");
    if (!url)
        return false;
    channel.xmlUrl = *url;
    if (!ChannelListKeepsUrl(*url))
        return false;
    channel.htmlUrl = AttributeOrEmpty(outline, L"htmlUrl");
    channel.description = AttributeOrEmpty(outline, L"description");
    channel.title = AttributeOrEmpty(outline, L"title");
    if (channel.title.empty())
        channel.title = channel.text;
    else if (channel.text.empty())
        channel.text = channel.title;
    return true;
}

void WriteChannelOutline(const CRSSChannel& channel, XmlWriter& writer, xmldata::NodeRef outline) {
    writer.SetAttribute(outline, L"text", channel.text);
    writer.SetAttribute(outline, L"type", L"rss");
    if (!channel.cachePath.empty())
        writer.SetAttribute(outline, L"cachePath", channel.cachePath);
    if (!channel.cacheSize.empty())
        writer.SetAttribute(outline, L"cacheSize", channel.cacheSize);
    writer.SetAttribute(outline, L"xmlUrl", channel.xmlUrl);
    if (!channel.htmlUrl.empty())
        writer.SetAttribute(outline, L"htmlUrl", channel.htmlUrl);
    writer.SetAttribute(outline, L"description", channel.description);
    writer.SetAttribute(outline, L"title", channel.title);
}

int FindChannel(const std::wstring& cacheFolder, const std::wstring& url, int& count) {
    ScopedNamedMutex lock(kChannelListMutex);
    XmlDocument doc;
    if (!doc.Load(FilePath(cacheFolder)))
        return 0;
    Node body = doc.SelectNode(L"/opml/body", doc.DocumentNode());
    if (!body)
        return 0;
    count = int(doc.SelectNodes(L"outline", body).size());
    return HasOutlineWithUrl(doc, body, url) ? 1 : 0;
}

int AppendChannel(const std::wstring& cacheFolder, const CRSSChannel& channel) {
    ScopedNamedMutex lock(kChannelListMutex);
    const std::wstring path = FilePath(cacheFolder);
    EnsureFolder(cacheFolder);
    {
        XmlWriter writer = XmlWriter::Edit(path, xmldata::Layout::Compact, L"opml");
        Node body = writer.loaded() ? writer.SelectNode(L"/opml/body", writer.DocumentNode()) : Node();
        if (body) {
            if (HasOutlineWithUrl(writer, body, channel.xmlUrl))
                return 0;
            // Lands after the body's closing whitespace; readers do not mind the irregular indentation.
            AppendOutline(writer, body, channel);
            return writer.Save(path) ? 1 : -1;
        }
    }
    NewList list = StartNewList({DefaultChannelListTitle(), L"1.0"});
    AppendOutline(list.writer, list.body, channel);
    return FinishAndSave(list, path) ? 1 : -1;
}

bool LoadChannelList(ChannelListHeader& header, const std::wstring& cacheFolder,
                     std::vector<std::unique_ptr<CRSSChannel>>& channels) {
    header = {DefaultChannelListTitle(), L"1.0"};
    ScopedNamedMutex lock(kChannelListMutex);
    const std::wstring path = FilePath(cacheFolder);
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    XmlDocument doc;
    if (!doc.Load(path))
        return false;
    const Node document = doc.DocumentNode();
    std::optional<std::wstring> version = doc.SelectText(L"./opml/@version", document);
    if (!version)
        return false;
    header.version = *version;
    std::optional<std::wstring> title = doc.SelectText(L"./opml/head/title", document);
    if (!title)
        return false;
    header.title = *title;
    int added = 0;
    for (const Node& outline : doc.SelectNodes(L"./opml/body/outline", document)) {
        auto record = std::make_unique<CRSSChannel>();
        if (!ReadChannelOutline(*record, outline, false))
            continue;
        channels.push_back(std::move(record));
        if (++added == kMaxChannels)
            break;
    }
    return true;
}

bool SaveChannelList(const ChannelListHeader& header, const std::wstring& cacheFolder,
                     const std::vector<CRSSChannel*>& channels) {
    ScopedNamedMutex lock(kChannelListMutex);
    const std::wstring path = FilePath(cacheFolder);
    PreviousChannels previous = ReadPreviousChannels(path);
    NewList list = StartNewList(header);
    for (CRSSChannel* channel : channels) {
        for (auto& old : previous.records) {
            if (old->matched != 0 || old->xmlUrl != channel->xmlUrl)
                continue;
            old->matched = 1;
            channel->text = old->text;
            channel->cachePath = old->cachePath;
            channel->cacheSize = old->cacheSize;
            channel->htmlUrl = old->htmlUrl;
            channel->description = old->description;
            if (channel->title.empty())
                channel->title = old->title;
            break;
        }
        AppendOutline(list.writer, list.body, *channel);
    }
    auto appendGarbage = [&](const std::wstring& folder) {
        list.writer.AppendText(list.body, L"\r\n\t\t");
        list.writer.AppendElement(list.body, L"garbage", folder);
    };
    for (const auto& old : previous.records)
        if (old->matched == 0 && !old->cachePath.empty())
            appendGarbage(old->cachePath);
    for (const std::wstring& folder : previous.garbage)
        appendGarbage(folder);
    EnsureFolder(cacheFolder);
    return FinishAndSave(list, path);
}

} // namespace news

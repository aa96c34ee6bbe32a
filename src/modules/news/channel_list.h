// The channel list "channels.opml", shared with the display program and with ADDRSS runs of this program. Every
// operation takes the Cache folder (the RSS folder with "\Cache"), holds the mutex "Local\TesselOPMLFile050805MO"
// for its whole load-modify-save, and works on a document of its own. DOM failures other than a file that does
// not load throw xmldata::XmlError to the caller; the mutex is released by its scope.
#pragma once
#include "modules/news/rss_channel.h"
#include "xmldata/xml_document.h"

#include <memory>
#include <string>
#include <vector>

namespace news {

inline constexpr int kMaxChannels = 50;
inline constexpr wchar_t kChannelListFileName[] = L"channels.opml";

struct ChannelListHeader {
    std::wstring title;
    std::wstring version;
};

// "Skylume RSS channels": the title of a list that has none yet.
std::wstring DefaultChannelListTitle();
// The per-user news Cache folder (not created); empty when the Modules folder cannot be found.
std::wstring NewsCacheFolder();

// Whether an outline with this `xmlUrl` loads: an empty one, or a URL by the shell's test made only of the
// characters IsValidUrlText allows. A site whose URL fails this is never added: the list would drop it.
bool ChannelListKeepsUrl(const std::wstring& url);
// Fills a new record from an `outline` element; false when it is not a usable channel (wrong `type`, no
// `xmlUrl`, or an `xmlUrl` that is neither empty nor a URL of allowed characters).
bool ReadChannelOutline(CRSSChannel& channel, xmldata::NodeRef outline, bool ignoreCacheFields);
// Sets the attributes of an empty `outline` element in the file's order.
void WriteChannelOutline(const CRSSChannel& channel, xmldata::XmlWriter& writer, xmldata::NodeRef outline);

// 1 when an outline has exactly this `xmlUrl`, else 0. `count` receives the number of outlines when the file
// loads and has a body, and is left alone otherwise.
int FindChannel(const std::wstring& cacheFolder, const std::wstring& url, int& count);
// 1 written, 0 already present, -1 the save failed. A missing or damaged file is replaced by a new one.
int AppendChannel(const std::wstring& cacheFolder, const CRSSChannel& channel);
// Appends one record per usable outline (at most 50) to `channels`; false when the file is missing or lacks its
// version or title (then nothing is added).
bool LoadChannelList(ChannelListHeader& header, const std::wstring& cacheFolder,
                     std::vector<std::unique_ptr<CRSSChannel>>& channels);
// Rewrites the file from `channels` in order. Records of the old file are matched by URL and give their cache
// fields to the list's records (which are changed in place); cache folders no longer used become `garbage`, also
// those of outlines past the first 50, which no list ever showed.
bool SaveChannelList(const ChannelListHeader& header, const std::wstring& cacheFolder,
                     const std::vector<CRSSChannel*>& channels);

} // namespace news

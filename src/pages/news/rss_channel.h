// One news channel: an outline of channels.opml.
#pragma once
#include <cstdint>
#include <string>

class CRSSChannel {
public:
    virtual ~CRSSChannel() = default;
    // What the site list shows: the user's name for the site, or its URL when it has none.
    virtual std::wstring GetDisplayName() const { return title.empty() ? xmlUrl : title; }

    std::wstring text; // the feed's own title as first retrieved
    std::wstring cachePath;
    std::wstring cacheSize; // kept as text exactly as read
    std::wstring xmlUrl;    // identifies the channel
    std::wstring htmlUrl;
    std::wstring description;
    std::wstring title;  // the name the user sees and may edit
    int32_t matched = 0; // used only while saving
};

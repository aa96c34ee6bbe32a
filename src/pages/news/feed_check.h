// The feed check: download a URL to a temporary file in the news folder, transform it with "feed2cache.xslt"
// (beside the executable) into the display program's cache format, and take "/cachedata/title" as the feed's
// title. Runs on a worker thread that has initialised COM; the caller may set the cancel flag to 1 at any time.
#pragma once
#include "pages/news/http_download.h"
#include "xmldata/xml_document.h"

#include <string>

namespace news {

enum FeedCheckResult {
    kFeedOk = 0,
    kFeedNotConnected = 1, // no network, or the connection failed or broke while reading
    kFeedNoAnswer = 2,     // no response, a status other than 200, or a refused 401
    kFeedNotAFeed = 3,     // not XML, or the transformed result has no title
    kFeedFailed = 4,       // a rejected URL, no session, no stylesheet, a file or COM error
    kFeedCancelled = 5,
};

inline constexpr wchar_t kFeedStylesheetName[] = L"feed2cache.xslt";

// `title` is written only on success.
int CheckFeed(const CancelFlag& cancel, const std::wstring& url, std::wstring& title);

// The check's steps after the download, reachable on their own for the fuzz loop.
namespace detail {
// The shipped stylesheet, or null when it cannot be loaded.
win32::ComPtr<IXMLDOMDocument2> LoadFeedStylesheet();
// Loads the downloaded file, transforms it and takes the title: kFeedOk or kFeedNotAFeed. A failing DOM call throws
// xmldata::XmlError.
int TransformForTitle(IXMLDOMDocument2* stylesheet, const std::wstring& feedPath, std::wstring& title);
} // namespace detail

} // namespace news

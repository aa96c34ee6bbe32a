// The register page's site list: an owner-drawn list box whose items carry CRSSChannel records as item data.
// The list owns the records; these helpers are the only code that puts records in or takes them out.
#pragma once
#include "pages/news/rss_channel.h"

#include <windows.h>

#include <memory>
#include <string>

namespace news {

int SiteCount(HWND list);
int SelectedSite(HWND list); // -1 for none
CRSSChannel* SiteAt(HWND list, int index);
bool ListHasUrl(HWND list, const std::wstring& url);
// Inserts at `index` (-1 appends); the list takes the record. Returns the index, or -1 when the list refused it.
int InsertSite(HWND list, int index, std::unique_ptr<CRSSChannel> channel);
// Removes the item and hands its record back to the caller.
std::unique_ptr<CRSSChannel> TakeSite(HWND list, int index);
void DeleteAllSites(HWND list);

} // namespace news

#include "pages/news/site_list_box.h"

namespace news {

int SiteCount(HWND list) {
    return int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
}

int SelectedSite(HWND list) {
    LRESULT selected = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : int(selected);
}

CRSSChannel* SiteAt(HWND list, int index) {
    LRESULT data = ::SendMessageW(list, LB_GETITEMDATA, WPARAM(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<CRSSChannel*>(data);
}

bool ListHasUrl(HWND list, const std::wstring& url) {
    for (int i = 0, count = SiteCount(list); i < count; ++i)
        if (CRSSChannel* channel = SiteAt(list, i); channel && channel->xmlUrl == url)
            return true;
    return false;
}

int InsertSite(HWND list, int index, std::unique_ptr<CRSSChannel> channel) {
    // Without LBS_HASSTRINGS the "string" is the item data itself.
    LRESULT at = ::SendMessageW(list, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(channel.get()));
    if (at == LB_ERR || at == LB_ERRSPACE)
        return -1;
    ::SendMessageW(list, LB_SETITEMDATA, WPARAM(at), reinterpret_cast<LPARAM>(channel.release()));
    return int(at);
}

std::unique_ptr<CRSSChannel> TakeSite(HWND list, int index) {
    std::unique_ptr<CRSSChannel> channel(SiteAt(list, index));
    ::SendMessageW(list, LB_DELETESTRING, WPARAM(index), 0);
    return channel;
}

void DeleteAllSites(HWND list) {
    for (int i = SiteCount(list) - 1; i >= 0; --i)
        TakeSite(list, i);
}

} // namespace news

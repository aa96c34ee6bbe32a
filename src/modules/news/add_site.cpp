#include "modules/news/add_site.h"

#include "modules/news/additional_feeds.h"
#include "modules/news/channel_list.h"
#include "modules/news/feed_check.h"
#include "modules/news/named_mutex.h"
#include "modules/news/site_list_box.h"
#include "modules/news/url_text.h"
#include "res/resource.h"
#include "shell/display_link.h"
#include "shell/language.h"
#include "win32/app.h"
#include "win32/com.h"
#include "win32/strings.h"

namespace news {
namespace {

std::wstring ProductName() {
    const win32::WinApp* app = win32::GetApp();
    return app && !app->appName().empty() ? app->appName() : L"Skylume";
}

void ShowFormatted(UINT stringId, UINT icon) {
    const std::wstring format = win32::LoadResString(stringId);
    win32::AppMessageBox(win32::FormatString(format.c_str(), ProductName().c_str()), icon);
}

} // namespace

void ShowAddSiteResult(int code) {
    switch (code) {
    case kFeedOk:
        return ShowFormatted(IDS_NEWS_SITE_ADDED, MB_ICONINFORMATION);
    case kFeedNotConnected:
        return ShowFormatted(IDS_NEWS_NOT_CONNECTED, MB_ICONEXCLAMATION);
    case kFeedNoAnswer:
        return ShowFormatted(IDS_NEWS_NO_ANSWER, MB_ICONEXCLAMATION);
    case kFeedNotAFeed:
        return ShowFormatted(IDS_NEWS_NOT_A_FEED, MB_ICONEXCLAMATION);
    default:
        return ShowFormatted(IDS_NEWS_ADD_FAILED, MB_ICONEXCLAMATION);
    }
}

void AddRssFromCommandLine(const std::wstring& url, const std::function<bool()>& loadLanguageResources) {
    ScopedNamedMutex lock(kAddSiteMutex);
    if (!loadLanguageResources()) {
        lock.Release();
        win32::AppMessageBox(shell::MissingResourcesText(shell::GetLanguageIndex()), MB_ICONHAND);
        return;
    }
    int code = kFeedFailed;
    try {
        const std::wstring cache = NewsCacheFolder();
        int count = 0;
        if (!cache.empty() && FindChannel(cache, url, count)) {
            lock.Release();
            win32::AppMessageBox(IDS_NEWS_ALREADY_REGISTERED, MB_ICONEXCLAMATION);
            return;
        }
        if (count >= kMaxChannels) {
            lock.Release();
            win32::AppMessageBox(IDS_NEWS_FIFTY_SITES, MB_ICONEXCLAMATION);
            return;
        }
        CancelFlag nobodyCancels{0};
        std::wstring title;
        code = cache.empty() ? kFeedFailed : CheckFeed(nobodyCancels, url, title);
        if (code == kFeedOk) {
            CRSSChannel channel;
            channel.xmlUrl = url;
            channel.text = channel.title = title;
            if (AppendChannel(cache, channel) == -1) {
                code = kFeedFailed;
            } else {
                AddAdditionalFeed(url, title);
                shell::BroadcastCode(shell::kCodeSiteAdded);
            }
        }
    } catch (const xmldata::XmlError&) {
        code = kFeedFailed;
    }
    lock.Release();
    ShowAddSiteResult(code);
}

} // namespace news

CRSSAddDialog::CRSSAddDialog(std::wstring url, std::wstring title, HWND siteList, HWND parent)
    : VelourDialog2(IDD_NEWS_ADD_SITE, parent), url_(std::move(url)), title_(std::move(title)), siteList_(siteList) {}

CRSSAddDialog::~CRSSAddDialog() {
    StopWorker();
}

BOOL CRSSAddDialog::OnInitDialog() {
    VelourDialog2::OnInitDialog();
    prompt_.Bind(hwnd(), IDC_NEWS_LABEL);
    urlLabel_.Bind(hwnd(), IDC_NEWS_NOTE);
    urlEdit_.Bind(hwnd(), IDC_NEWS_TEXT);
    ok_.Bind(hwnd(), IDOK);
    cancelButton_.Bind(hwnd(), IDCANCEL);
    ::SetDlgItemTextW(hwnd(), IDC_NEWS_TEXT, url_.c_str());
    ::EnableWindow(item(IDOK), !url_.empty());
    return TRUE;
}

bool CRSSAddDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_NEWS_TEXT && code == EN_CHANGE) {
        ::EnableWindow(item(IDOK), ::GetWindowTextLengthW(item(IDC_NEWS_TEXT)) > 0);
        return true;
    }
    return VelourDialog2::OnCommand(id, code, control);
}

void CRSSAddDialog::OnOK() {
    if (!::IsWindowEnabled(item(IDC_NEWS_TEXT)))
        return;
    url_ = news::WindowText(item(IDC_NEWS_TEXT));
    if (!news::IsValidUrlText(url_)) {
        news::ShowAddSiteResult(news::kFeedFailed);
        return;
    }
    int found = 0;
    try {
        news::ScopedNamedMutex lock(news::kAddSiteMutex);
        int count = 0;
        const std::wstring cache = news::NewsCacheFolder();
        found = cache.empty() ? 0 : news::FindChannel(cache, url_, count);
    } catch (const xmldata::XmlError&) {
        found = 0;
    }
    if (found || news::ListHasUrl(siteList_, url_)) {
        win32::AppMessageBox(IDS_NEWS_ALREADY_REGISTERED, MB_ICONEXCLAMATION);
        return;
    }
    ::EnableWindow(item(IDOK), FALSE);
    StartWorker();
}

void CRSSAddDialog::OnCancel() {
    StopWorker();
    EndDialog(IDCANCEL);
}

bool CRSSAddDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kCheckDone) {
        // A check stopped by Cancel has no worker any more; its late completion is not acted on.
        if (worker_)
            OnCheckDone();
        result = 0;
        return true;
    }
    return VelourDialog2::OnMessage(message, wParam, lParam, result);
}

DWORD WINAPI CRSSAddDialog::WorkerMain(void* parameter) {
    auto* self = static_cast<CRSSAddDialog*>(parameter);
    self->result_ = news::kFeedFailed;
    win32::ComInit com;
    if (!com.ok())
        return 0;
    std::wstring title;
    self->result_ = news::CheckFeed(self->cancel_, self->url_, title);
    if (self->result_ == news::kFeedOk)
        self->title_ = title;
    ::PostMessageW(self->hwnd(), kCheckDone, 0, 0);
    return 0;
}

void CRSSAddDialog::StartWorker() {
    StopWorker();
    DWORD id = 0;
    win32::KernelHandle thread(::CreateThread(nullptr, 0, &CRSSAddDialog::WorkerMain, this, CREATE_SUSPENDED, &id));
    if (!thread)
        return;
    cancel_ = 0;
    worker_ = std::move(thread);
    ::ResumeThread(worker_.get());
}

void CRSSAddDialog::StopWorker() {
    if (!worker_)
        return;
    cancel_ = 1;
    ::WaitForSingleObject(worker_.get(), 30000);
    worker_.reset();
}

void CRSSAddDialog::OnCheckDone() {
    // The worker has posted its last act; it is finished or about to be.
    ::WaitForSingleObject(worker_.get(), 30000);
    worker_.reset();
    cancel_ = 1;
    try {
        news::ShowAddSiteResult(result_);
        if (result_ != news::kFeedOk) {
            ::EnableWindow(item(IDOK), TRUE);
            return;
        }
        auto channel = std::make_unique<CRSSChannel>();
        channel->xmlUrl = url_;
        channel->text = channel->title = title_;
        const int selected = news::SelectedSite(siteList_);
        news::InsertSite(siteList_, selected == -1 ? -1 : selected + 1, std::move(channel));
        EndDialog(IDOK);
    } catch (...) {
        news::ShowAddSiteResult(news::kFeedFailed);
    }
}

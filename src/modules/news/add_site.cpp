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
#include "win32/handle.h"
#include "win32/strings.h"

#include <atomic>
#include <cwchar>
#include <mutex>

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

// The dialog's own outcome beside the feed-check codes: the channel list already has the URL.
constexpr int kAlreadyRegistered = -1;

DWORD AddRssDeadlineMs() {
    wchar_t text[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(kAddRssDeadlineVariable, text, ARRAYSIZE(text));
    const long shorter = length > 0 && length < ARRAYSIZE(text) ? std::wcstol(text, nullptr, 10) : 0;
    return shorter > 0 && DWORD(shorter) < kAddRssDeadlineMs ? DWORD(shorter) : kAddRssDeadlineMs;
}

// Sets a cancel flag once the time is up, unless it is destroyed first; destruction waits for a running expiry.
class CancelAtDeadline {
public:
    CancelAtDeadline(CancelFlag& cancel, DWORD ms) : cancel_(cancel) {
        if (!::CreateTimerQueueTimer(&timer_, nullptr, &Expire, this, ms, 0, WT_EXECUTEONLYONCE))
            timer_ = nullptr;
    }
    ~CancelAtDeadline() {
        if (timer_)
            ::DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
    }
    CancelAtDeadline(const CancelAtDeadline&) = delete;
    CancelAtDeadline& operator=(const CancelAtDeadline&) = delete;
    bool expired() const { return expired_.load(); }

private:
    static VOID CALLBACK Expire(PVOID self, BOOLEAN) {
        auto* deadline = static_cast<CancelAtDeadline*>(self);
        deadline->expired_ = true;
        deadline->cancel_ = 1;
    }
    CancelFlag& cancel_;
    HANDLE timer_ = nullptr;
    std::atomic<bool> expired_{false};
};

// Appends the channel and records it for an open settings window within one hold of the channel-list mutex. The
// window's save takes the recorded sites in under the same mutex, so whichever comes first, the site ends up in
// the file: the save either finds it recorded and writes it, or comes before and the append lands on its file.
int RegisterSite(const std::wstring& cache, const std::wstring& url, const std::wstring& title) {
    CRSSChannel channel;
    channel.xmlUrl = url;
    channel.text = channel.title = title;
    {
        ScopedNamedMutex listLock(kChannelListMutex);
        if (AppendChannel(cache, channel) == -1)
            return kFeedFailed;
        AddAdditionalFeed(url, title);
    }
    shell::BroadcastCode(shell::kCodeSiteAdded);
    return kFeedOk;
}

// The dialog's check on its worker thread: the duplicate check under the add-site mutex (waited for here, never
// on the window's thread, so a hung ADDRSS run does not freeze the window), then the feed check.
int CheckNewSite(const CancelFlag& cancel, const std::wstring& url, std::wstring& title) {
    try {
        {
            CancellableNamedMutex lock(kAddSiteMutex, cancel);
            if (!lock.owned())
                return kFeedCancelled;
            const std::wstring cache = NewsCacheFolder();
            int count = 0;
            if (!cache.empty() && FindChannel(cache, url, count))
                return kAlreadyRegistered;
        }
        return cancel.load() == 1 ? kFeedCancelled : CheckFeed(cancel, url, title);
    } catch (...) {
        return kFeedFailed;
    }
}

} // namespace

struct AddSiteCheck {
    UINT number = 0;
    std::wstring url;
    CancelFlag cancel{0};
    std::mutex lock;
    HWND dialog = nullptr; // cleared under `lock` when the dialog lets go of the check
    int result = kFeedFailed;
    std::wstring title;
};

namespace {

DWORD WINAPI AddSiteWorker(void* parameter) {
    const std::unique_ptr<std::shared_ptr<AddSiteCheck>> owner(static_cast<std::shared_ptr<AddSiteCheck>*>(parameter));
    AddSiteCheck& check = **owner;
    int result = kFeedFailed;
    std::wstring title;
    {
        win32::ComInit com;
        if (!com.ok())
            return 0;
        result = CheckNewSite(check.cancel, check.url, title);
    }
    std::lock_guard guard(check.lock);
    check.result = result;
    check.title = std::move(title);
    if (check.dialog)
        ::PostMessageW(check.dialog, CRSSAddDialog::kCheckDone, WPARAM(check.number), 0);
    return 0;
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
    // An address the channel list would drop at its next load is refused before it could be announced.
    if (url.empty() || !ChannelListKeepsUrl(url)) {
        lock.Release();
        ShowAddSiteResult(kFeedFailed);
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
        std::wstring title;
        if (!cache.empty()) {
            CancelFlag cancel{0};
            CancelAtDeadline deadline(cancel, AddRssDeadlineMs());
            code = CheckFeed(cancel, url, title);
            if (deadline.expired() && code != kFeedOk)
                code = IsNetworkConnected() ? kFeedNoAnswer : kFeedNotConnected;
        }
        if (code == kFeedOk)
            code = RegisterSite(cache, url, title);
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
    if (!news::ChannelListKeepsUrl(url_)) {
        news::ShowAddSiteResult(news::kFeedFailed);
        return;
    }
    if (news::ListHasUrl(siteList_, url_)) {
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
        // Only the running check's completion counts; one of a check that was stopped or replaced is stale.
        if (check_ && wParam == WPARAM(check_->number))
            OnCheckDone();
        result = 0;
        return true;
    }
    return VelourDialog2::OnMessage(message, wParam, lParam, result);
}

void CRSSAddDialog::StartWorker() {
    StopWorker();
    auto check = std::make_shared<news::AddSiteCheck>();
    check->number = ++lastCheckNumber_;
    check->url = url_;
    check->dialog = hwnd();
    auto* workerShare = new std::shared_ptr<news::AddSiteCheck>(check);
    DWORD id = 0;
    win32::KernelHandle thread(::CreateThread(nullptr, 0, &news::AddSiteWorker, workerShare, CREATE_SUSPENDED, &id));
    if (!thread) {
        delete workerShare;
        return;
    }
    check_ = std::move(check);
    ::ResumeThread(thread.get());
}

void CRSSAddDialog::StopWorker() {
    if (!check_)
        return;
    check_->cancel = 1;
    {
        std::lock_guard guard(check_->lock);
        check_->dialog = nullptr;
    }
    check_.reset();
}

void CRSSAddDialog::OnCheckDone() {
    std::wstring title;
    {
        std::lock_guard guard(check_->lock);
        result_ = check_->result;
        title = check_->title;
        url_ = check_->url; // the address checked, whatever the edit holds by now
        check_->dialog = nullptr;
    }
    check_.reset();
    try {
        if (result_ == news::kAlreadyRegistered) {
            win32::AppMessageBox(IDS_NEWS_ALREADY_REGISTERED, MB_ICONEXCLAMATION);
            ::EnableWindow(item(IDOK), TRUE);
            return;
        }
        news::ShowAddSiteResult(result_);
        if (result_ != news::kFeedOk) {
            ::EnableWindow(item(IDOK), TRUE);
            return;
        }
        title_ = title;
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

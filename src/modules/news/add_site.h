// Adding a news site: the add-site dialog of the register page, and the ADDRSS run that the web browser's menu
// entry starts. Both check the address with the feed check and report the outcome in one message box.
#pragma once
#include "modules/news/http_download.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"

#include <functional>
#include <memory>
#include <string>

namespace news {

// An ADDRSS run nobody can cancel: after this long its check gives up, and the run reports the download as failed
// the way it reports a server that does not answer, so the add-site mutex it holds is never held for ever.
inline constexpr DWORD kAddRssDeadlineMs = 90000;
// For tests only: a shorter deadline in milliseconds, read from the environment; longer values are ignored.
inline constexpr wchar_t kAddRssDeadlineVariable[] = L"SKYLUME_TEST_ADDRSS_DEADLINE_MS";

// The message box for a feed-check result code, formatted with the product name.
void ShowAddSiteResult(int code);

// The ADDRSS job. `loadLanguageResources` makes the active language library the source of the texts.
void AddRssFromCommandLine(const std::wstring& url, const std::function<bool()>& loadLanguageResources);

// One check of the dialog, shared by the dialog and its worker thread, so that whatever the worker touches lives
// until the worker is done, whether or not the dialog still waits for it.
struct AddSiteCheck;

} // namespace news

class CRSSAddDialog : public VelourDialog2 {
public:
    // Completion of the worker's check, posted to the dialog with the check's number as wParam.
    static constexpr UINT kCheckDone = WM_USER + 2;

    CRSSAddDialog(std::wstring url, std::wstring title, HWND siteList, HWND parent);
    ~CRSSAddDialog() override;

    const std::wstring& url() const { return url_; }
    const std::wstring& title() const { return title_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void StartWorker();
    // Asks the running check to stop and lets go of it at once; it finishes on its own and reports nothing.
    void StopWorker();
    void OnCheckDone();

    std::wstring url_;
    std::wstring title_;
    HWND siteList_;
    int result_ = 4;
    std::shared_ptr<news::AddSiteCheck> check_; // the running check, if any
    UINT lastCheckNumber_ = 0;
    VelourStatic prompt_, urlLabel_;
    VelourEdit urlEdit_;
    VelourButton2 ok_, cancelButton_;
};

// Adding a news site: the add-site dialog of the register page, and the ADDRSS run that the web browser's menu
// entry starts. Both check the address with the feed check and report the outcome in one message box.
#pragma once
#include "modules/news/http_download.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"
#include "win32/handle.h"

#include <functional>
#include <string>

namespace news {

// The message box for a feed-check result code, formatted with the product name.
void ShowAddSiteResult(int code);

// The ADDRSS job. `loadLanguageResources` makes the active language library the source of the texts.
void AddRssFromCommandLine(const std::wstring& url, const std::function<bool()>& loadLanguageResources);

} // namespace news

class CRSSAddDialog : public VelourDialog2 {
public:
    // Completion of the worker's check, posted to the dialog.
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
    static DWORD WINAPI WorkerMain(void* self);
    void StartWorker();
    void StopWorker();
    void OnCheckDone();

    std::wstring url_;
    std::wstring title_;
    HWND siteList_;
    int result_ = 4;
    win32::KernelHandle worker_;
    news::CancelFlag cancel_{1};
    VelourStatic prompt_, urlLabel_;
    VelourEdit urlEdit_;
    VelourButton2 ok_, cancelButton_;
};

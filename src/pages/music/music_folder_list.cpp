#include "pages/music/music_folder_list.h"

#include "pages/music/folder_relations.h"
#include "pages/music/media_component.h"
#include "res/resource.h"
#include "win32/app.h"

#include <shlobj.h>

#include <algorithm>

namespace {

// Entries of `from` not matched by an entry of `without`, each match removing one entry (exact comparison).
std::vector<std::wstring> Difference(std::vector<std::wstring> from, const std::vector<std::wstring>& without) {
    for (const std::wstring& entry : without) {
        auto found = std::find(from.begin(), from.end(), entry);
        if (found != from.end())
            from.erase(found);
    }
    return from;
}

struct BrowseContext {
    const CMusicFolderList* list;
};

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    if (message != BFFM_SELCHANGED)
        return 0;
    auto* context = reinterpret_cast<BrowseContext*>(data);
    wchar_t path[MAX_PATH] = {};
    const bool hasPath = lParam && ::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
    if (hasPath && !context->list->IsFolderAllowed(path)) {
        const std::wstring refused = win32::LoadResString(IDS_MUSIC_FOLDER_REFUSED);
        ::SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(refused.c_str()));
        ::SendMessageW(browser, BFFM_ENABLEOK, 0, FALSE);
        // Wine's browser checks the selection itself after this callback and enables OK again; the posted
        // message disables it once that check is done.
        ::PostMessageW(browser, BFFM_ENABLEOK, 0, FALSE);
    } else {
        ::SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
        ::SendMessageW(browser, BFFM_ENABLEOK, 0, TRUE);
    }
    return 0;
}

} // namespace

CMusicFolderList::CMusicFolderList() : busType_(music::QueryVolumeBusType) {}

void CMusicFolderList::Open(const std::wstring& clientName) {
    client_ = clientName;
    current_.clear();
    first_.clear();
    if (FAILED(music::CreateMediaComponent(kFolderWatcherClassId,
                                           CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                           kFolderWatcherInterfaceId, service_.putVoid())) ||
        !service_) {
        unavailable_ = true;
        throw FolderException(L"Folder Watcher CoCreateInstanceFailed");
    }
    win32::Bstr client(client_);
    LONG count = 0, status = 0;
    HRESULT hr = S_OK;
    // The service may need several asks before its answer is ready; it is asked again at once.
    do {
        hr = service_->GetStatusCount(client.get(), &count, &status);
    } while (SUCCEEDED(hr) && status == kFolderWatcherNotReady);
    if (FAILED(hr) || status != 0)
        throw FolderException(L"GetStatusCount Failed");
    for (LONG index = 0; index < count; ++index) {
        win32::Bstr path;
        LONG state = 0, files = 0, reserved = 0, entryStatus = 0;
        hr = service_->GetStatusEntry(index, path.put(), &state, &files, &reserved, &entryStatus);
        if (hr >= 0 && entryStatus >= 0)
            current_.push_back(path.str());
    }
    first_ = current_;
}

bool CMusicFolderList::IsListed(const std::wstring& path) const {
    return std::any_of(current_.begin(), current_.end(),
                       [&](const std::wstring& listed) { return music::IsSameFolder(path, listed); });
}

bool CMusicFolderList::IsInsideListed(const std::wstring& path) const {
    return std::any_of(current_.begin(), current_.end(),
                       [&](const std::wstring& listed) { return music::IsFolderWithin(path, listed); });
}

bool CMusicFolderList::HasListedSubfolders(const std::wstring& path) const {
    return std::any_of(current_.begin(), current_.end(),
                       [&](const std::wstring& listed) { return music::ContainsFolder(path, listed); });
}

void CMusicFolderList::Add(const std::wstring& path) {
    std::erase_if(current_, [&](const std::wstring& listed) { return music::ContainsFolder(path, listed); });
    current_.push_back(path);
}

void CMusicFolderList::Remove(const std::wstring& path) {
    auto found = std::find(current_.begin(), current_.end(), path);
    if (found != current_.end())
        current_.erase(found);
}

void CMusicFolderList::Unregister(const std::wstring& path) {
    win32::Bstr client(client_), folder(path);
    LONG status = 0;
    service_->PrepareUnregister(client.get(), folder.get(), &status);
    status = 0;
    const HRESULT hr = service_->UnregisterFolder(client.get(), folder.get(), &status);
    if (FAILED(hr) || status < 0)
        throw FolderException(L"UnregisterFolder Failed");
}

void CMusicFolderList::Register(const std::wstring& path) {
    win32::Bstr client(client_), folder(path);
    LONG status = 0;
    const HRESULT hr = service_->RegisterFolder(client.get(), folder.get(), 1, &status);
    if ((hr != S_OK && hr != S_FALSE) || status < 0)
        throw FolderException(L"RegisterFolder Failed");
}

bool CMusicFolderList::Refresh(const std::wstring& path) {
    win32::Bstr client(client_), folder(path);
    LONG status = 0;
    const HRESULT hr = service_->RefreshFolder(client.get(), folder.get(), 1, &status);
    return SUCCEEDED(hr) && status >= 0;
}

void CMusicFolderList::Apply() {
    if (!service_)
        return;
    const std::vector<std::wstring> removed = Difference(first_, current_);
    const std::vector<std::wstring> added = Difference(current_, first_);
    for (const std::wstring& path : removed) {
        try {
            Unregister(path);
        } catch (const FolderException&) {
        }
    }
    for (const std::wstring& path : added) {
        try {
            Register(path);
        } catch (const FolderException&) {
        }
    }
    // "RefreshFolder Failed" at the first folder the service cannot refresh ends the refreshes.
    for (const std::wstring& path : added)
        if (!Refresh(path))
            break;
}

bool CMusicFolderList::IsFolderAllowed(const std::wstring& path) const {
    return music::IsFolderAllowed(path, busType_);
}

std::wstring CMusicFolderList::BrowseForFolder(HWND owner, const std::wstring& title) const {
    BrowseContext context{this};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&context);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen)
        return {};
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    return ok ? std::wstring(path) : std::wstring();
}

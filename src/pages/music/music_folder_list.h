// The music folders registered with the folder watcher service under a client name: read at page start,
// changed under the duplicate and nesting rules, and the difference pushed back when the page is saved.
#pragma once
#include "pages/music/folder_exclusion.h"
#include "pages/music/folder_watcher.h"
#include "win32/com.h"

#include <string>
#include <vector>

class FolderException {
public:
    explicit FolderException(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

class CMusicFolderList {
public:
    CMusicFolderList();

    // Creates the service object and reads the client's folders. Throws FolderException.
    void Open(const std::wstring& clientName);
    bool IsListed(const std::wstring& path) const;
    bool IsInsideListed(const std::wstring& path) const;
    bool HasListedSubfolders(const std::wstring& path) const;
    // Drops the listed folders inside `path` (and `path` itself) and appends `path`.
    void Add(const std::wstring& path);
    void Remove(const std::wstring& path);
    void GetFolders(std::vector<std::wstring>& folders) const { folders = current_; }
    bool IsUnavailable() const { return unavailable_; }
    // Unregisters what was removed and registers what was added since the list was read.
    void Apply();

    bool IsFolderAllowed(const std::wstring& path) const;
    // The shell's folder browser that refuses folders IsFolderAllowed refuses; empty on cancel.
    std::wstring BrowseForFolder(HWND owner, const std::wstring& title) const;
    // Where the bus type of a drive comes from (the volume itself unless a caller supplies another source).
    void SetBusTypeQuery(music::BusTypeQuery query) { busType_ = std::move(query); }

private:
    void Unregister(const std::wstring& path);
    void Register(const std::wstring& path);
    bool Refresh(const std::wstring& path);

    std::wstring client_;
    win32::ComPtr<IFolderWatcher> service_;
    bool unavailable_ = false;
    std::vector<std::wstring> current_;
    std::vector<std::wstring> first_;
    music::BusTypeQuery busType_;
};

// The folder watcher service: keeps each client's folders in "<StateFolder>\<client>.txt" and logs every call
// that changes them to "<StateFolder>\calls.log". Switches (HKCU\Software\SkylumeStandIns\FolderWatcher):
// StateFolder; NotReadyCount (GetStatusCount answers "not ready" that many times); FailRegister, FailRefresh,
// FailUnregister (a folder path, or "*" for every folder).
#include "com_object.h"
#include "pages/music/folder_watcher.h"
#include "stand_ins.h"

#include <algorithm>

namespace {

constexpr wchar_t kPart[] = L"FolderWatcher";

std::wstring StateFolder() {
    std::wstring folder = standin::ReadText(kPart, L"StateFolder").value_or(standin::ModuleFolder() + L"\\state");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring Text(BSTR text) {
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

class FolderWatcher : public standin::ComObject<IFolderWatcher> {
public:
    FolderWatcher() : ComObject(kFolderWatcherInterfaceId) {}

    HRESULT STDMETHODCALLTYPE GetVersion(LONG* version) override {
        *version = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOptions(LONG) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE RegisterFolder(BSTR client, BSTR path, LONG, LONG* status) override {
        Log(L"register", client, path);
        if (standin::SwitchNamesPath(kPart, L"FailRegister", Text(path))) {
            *status = -1;
            return E_FAIL;
        }
        auto folders = Folders(client);
        if (std::find(folders.begin(), folders.end(), Text(path)) == folders.end())
            folders.push_back(Text(path));
        standin::WriteLines(ListFile(client), folders);
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterFolder(BSTR client, BSTR path, LONG* status) override {
        Log(L"unregister", client, path);
        if (standin::SwitchNamesPath(kPart, L"FailUnregister", Text(path))) {
            *status = -1;
            return E_FAIL;
        }
        auto folders = Folders(client);
        std::erase(folders, Text(path));
        standin::WriteLines(ListFile(client), folders);
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStatusCount(BSTR client, LONG* count, LONG* status) override {
        if (standin::TakeOneFromCount(kPart, L"NotReadyCount")) {
            *count = 0;
            *status = kFolderWatcherNotReady;
            return S_OK;
        }
        entries_ = Folders(client);
        *count = LONG(entries_.size());
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStatusEntry(LONG index, BSTR* path, LONG* state, LONG* fileCount, LONG* reserved,
                                             LONG* status) override {
        *state = *fileCount = *reserved = 0;
        if (index < 0 || size_t(index) >= entries_.size()) {
            *path = nullptr;
            *status = -1;
            return E_INVALIDARG;
        }
        *path = ::SysAllocString(entries_[size_t(index)].c_str());
        *status = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RefreshFolder(BSTR client, BSTR path, LONG, LONG* status) override {
        Log(L"refresh", client, path);
        const bool fail = standin::SwitchNamesPath(kPart, L"FailRefresh", Text(path));
        *status = fail ? -1 : 0;
        return fail ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE PrepareUnregister(BSTR client, BSTR path, LONG* status) override {
        Log(L"prepare-unregister", client, path);
        *status = 0;
        return S_OK;
    }

private:
    static std::wstring ListFile(BSTR client) { return StateFolder() + L"\\" + Text(client) + L".txt"; }
    static std::vector<std::wstring> Folders(BSTR client) { return standin::ReadLines(ListFile(client)); }
    static void Log(const wchar_t* call, BSTR client, BSTR path) {
        standin::AppendLine(StateFolder() + L"\\calls.log",
                            std::wstring(call) + L"\t" + Text(client) + L"\t" + Text(path));
    }

    std::vector<std::wstring> entries_;
};

} // namespace

IUnknown* CreateFolderWatcher() {
    return new FolderWatcher();
}

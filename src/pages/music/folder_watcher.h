// The folder watcher service of the machine's media software: it keeps, per client program, the folders it
// indexes. The interface's first two methods are not called by this program.
#pragma once
#include <windows.h>
#include <oaidl.h>

inline constexpr CLSID kFolderWatcherClassId = {
    0xd7347882, 0x4ba4, 0x48bc, {0x93, 0xf0, 0xb9, 0x57, 0x41, 0x3a, 0x50, 0xf6}};
inline constexpr IID kFolderWatcherInterfaceId = {
    0xc3b16c16, 0x8587, 0x4046, {0xbf, 0xed, 0x04, 0x78, 0x6a, 0x77, 0x2e, 0xb6}};

// The status GetStatusCount gives while its answer is not ready yet.
inline constexpr LONG kFolderWatcherNotReady = LONG(0x8000000A);

struct IFolderWatcher : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetVersion(LONG* version) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOptions(LONG options) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterFolder(BSTR client, BSTR path, LONG flags, LONG* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterFolder(BSTR client, BSTR path, LONG* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatusCount(BSTR client, LONG* count, LONG* status) = 0;
    // One folder of the client last asked for by GetStatusCount.
    virtual HRESULT STDMETHODCALLTYPE GetStatusEntry(LONG index, BSTR* path, LONG* state, LONG* fileCount,
                                                     LONG* reserved, LONG* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE RefreshFolder(BSTR client, BSTR path, LONG flags, LONG* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrepareUnregister(BSTR client, BSTR path, LONG* status) = 0;
};

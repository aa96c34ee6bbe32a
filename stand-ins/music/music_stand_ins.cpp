// In-process COM server for the music stand-ins: the folder watcher service, the media database service and the
// media player's library. Registered by test and demo scripts with regsvr32; each can be switched off with the
// DWORD "Off" under HKCU\Software\SkylumeStandIns\<FolderWatcher|MediaDatabase|MediaPlayer>.
#include "pages/music/folder_watcher.h"
#include "pages/music/media_database.h"
#include "stand_in_config.h"
#include "stand_ins.h"

#include <string>

namespace {

// The media player stand-in's own class; "WMPlayer.OCX" points to it while it is registered.
constexpr CLSID kMediaPlayerStandInClassId = {
    0x5c1e9a40, 0x7b2d, 0x4c0e, {0x9e, 0x51, 0x3f, 0x7a, 0x2b, 0x6d, 0x8c, 0x11}};
// The class the Wine prefix registers for "WMPlayer.OCX"; put back on unregistration.
constexpr wchar_t kPlatformPlayerClass[] = L"{6BF52A52-394A-11D3-B153-00C04F79FAA6}";

struct ServedClass {
    const CLSID* id;
    const wchar_t* part;
    IUnknown* (*create)();
};

const ServedClass kClasses[] = {
    {&kFolderWatcherClassId, L"FolderWatcher", CreateFolderWatcher},
    {&kMediaDatabaseClassId, L"MediaDatabase", CreateMediaDatabase},
    {&kMediaPlayerStandInClassId, L"MediaPlayer", CreateMediaPlayer},
};

class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(IUnknown* (*create)()) : create_(create) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IUnknown* object = create_();
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IUnknown* (*create_)();
};

ClassFactory g_factories[] = {ClassFactory(CreateFolderWatcher), ClassFactory(CreateMediaDatabase),
                              ClassFactory(CreateMediaPlayer)};

std::wstring ClassText(const CLSID& id) {
    wchar_t text[64] = {};
    ::StringFromGUID2(id, text, 64);
    return text;
}

bool SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                         DWORD((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::wstring LibraryPath() {
    return standin::ModuleFolder() + L"\\MusicStandIns.dll";
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
    for (size_t i = 0; i < std::size(kClasses); ++i) {
        if (classId != *kClasses[i].id)
            continue;
        if (standin::ReadSwitch(kClasses[i].part, L"Off").value_or(0) == 1)
            return CLASS_E_CLASSNOTAVAILABLE;
        return g_factories[i].QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return standin::HasObjects() ? S_FALSE : S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    bool ok = true;
    for (const ServedClass& served : kClasses) {
        const std::wstring key = L"SOFTWARE\\Classes\\CLSID\\" + ClassText(*served.id);
        ok = ok && SetValue(key, nullptr, std::wstring(L"Skylume stand-in: ") + served.part) &&
             SetValue(key + L"\\InprocServer32", nullptr, LibraryPath()) &&
             SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    }
    ok = ok && SetValue(L"SOFTWARE\\Classes\\WMPlayer.OCX\\CLSID", nullptr, ClassText(kMediaPlayerStandInClassId));
    return ok ? S_OK : E_FAIL;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    for (const ServedClass& served : kClasses)
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Classes\\CLSID\\" + ClassText(*served.id)).c_str());
    SetValue(L"SOFTWARE\\Classes\\WMPlayer.OCX\\CLSID", nullptr, kPlatformPlayerClass);
    return S_OK;
}

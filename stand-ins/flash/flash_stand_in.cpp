// In-process COM server standing in for the Flash Player control: it registers under the control's class id and
// answers the version query. The version it reports is read from HKCU\Software\SkylumeStandIns\Flash "Version"
// (a DWORD with the major version in the upper 16 bits), so a test or the demo can choose it.
#include <windows.h>
#include <ole2.h>
#include <atomic>
#include <string>

namespace {

constexpr CLSID kFlashClassId = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr wchar_t kClassKey[] = L"SOFTWARE\\Classes\\CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
constexpr DISPID kFlashVersionDispId = 0x84;
constexpr DWORD kDefaultVersion = 0x000A0000;

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

DWORD ConfiguredVersion() {
    DWORD value = kDefaultVersion, size = sizeof(value), type = 0;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\Flash", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (::RegQueryValueExW(key, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD)
            value = kDefaultVersion;
        ::RegCloseKey(key);
    }
    return value;
}

class FlashControl : public IDispatch {
public:
    FlashControl() { ++g_objects; }
    virtual ~FlashControl() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --refs_;
        if (left == 0)
            delete this;
        return ULONG(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i)
            ids[i] = ::lstrcmpiW(names[i], L"FlashVersion") == 0 ? kFlashVersionDispId : DISPID_UNKNOWN;
        return count == 1 && ids[0] != DISPID_UNKNOWN ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (id != kFlashVersionDispId)
            return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        if (result) {
            ::VariantInit(result);
            result->vt = VT_I4;
            result->lVal = LONG(ConfiguredVersion());
        }
        return S_OK;
    }

private:
    std::atomic<long> refs_{1};
};

class ClassFactory : public IClassFactory {
public:
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
        if (outer)
            return CLASS_E_NOAGGREGATION;
        FlashControl* control = new FlashControl();
        HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }
};

ClassFactory g_factory;

bool SetKeyValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
    if (classId != kFlashClassId)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(g_module, path, MAX_PATH);
    std::wstring key = kClassKey;
    bool ok = SetKeyValue(key, nullptr, L"Shockwave Flash Object") &&
              SetKeyValue(key + L"\\InprocServer32", nullptr, path) &&
              SetKeyValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
              SetKeyValue(L"SOFTWARE\\Classes\\ShockwaveFlash.ShockwaveFlash", nullptr, L"Shockwave Flash Object") &&
              SetKeyValue(L"SOFTWARE\\Classes\\ShockwaveFlash.ShockwaveFlash\\CLSID", nullptr,
                          L"{D27CDB6E-AE6D-11cf-96B8-444553540000}");
    return ok ? S_OK : E_FAIL;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\ShockwaveFlash.ShockwaveFlash");
    return S_OK;
}

// In-process COM server standing in for the Flash Player control. It registers under the control's class id,
// answers the version query, and embeds as an ActiveX control: a host (such as ATL's AtlAxWin) activates it in
// place, and it answers the `Movie` and `ScaleMode` properties through its dispatch interface. It previews a JPEG
// movie the way the player would scale it and draws a placeholder for an SWF movie. The version it reports is read
// from HKCU\Software\SkylumeStandIns\Flash "Version" (a DWORD with the major version in the upper 16 bits), so
// a test or the demo can choose it, and so is the scale mode it starts in ("ScaleMode"). Its view window's text tells
// tests what it shows: "ScaleMode=<n>;Movie=<path>".
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <gdiplus.h>
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

// A value of HKCU\Software\SkylumeStandIns\Flash, or `fallback`.
DWORD Configured(const wchar_t* name, DWORD fallback) {
    DWORD value = fallback, size = sizeof(value), type = 0;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\SkylumeStandIns\\Flash", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            value = fallback;
        ::RegCloseKey(key);
    }
    return value;
}

DWORD ConfiguredVersion() {
    return Configured(L"Version", kDefaultVersion);
}

constexpr DISPID kMovieDispId = 0x66;
constexpr DISPID kScaleModeDispId = 0x78;
constexpr wchar_t kViewClass[] = L"SkylumeFlashStandInView";
// The player's scale modes: ShowAll (whole movie, proportions kept), NoBorder (screen filled, proportions kept),
// ExactFit (stretched), NoScale (own size, centred).
enum ScaleMode : long { kShowAll = 0, kNoBorder = 1, kExactFit = 2, kNoScale = 3 };

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    const size_t length = wcslen(suffix);
    return text.size() >= length && ::lstrcmpiW(text.c_str() + text.size() - length, suffix) == 0;
}

void StartGdiplusOnce() {
    static ULONG_PTR token = 0;
    if (token)
        return;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
}

// Where a picture of `picture` size goes in a view of `view` size under the scale mode.
RECT PlacePicture(SIZE view, SIZE picture, long mode) {
    if (picture.cx <= 0 || picture.cy <= 0 || mode == kExactFit)
        return {0, 0, view.cx, view.cy};
    LONG width = picture.cx, height = picture.cy;
    if (mode == kShowAll || mode == kNoBorder) {
        const double sx = double(view.cx) / picture.cx, sy = double(view.cy) / picture.cy;
        const double scale = mode == kShowAll ? (sx < sy ? sx : sy) : (sx > sy ? sx : sy);
        width = LONG(picture.cx * scale + 0.5);
        height = LONG(picture.cy * scale + 0.5);
    }
    const LONG left = (view.cx - width) / 2, top = (view.cy - height) / 2;
    return {left, top, left + width, top + height};
}

void RegisterViewClass();

class FlashControl : public IDispatch, public IOleObject, public IOleInPlaceObject {
public:
    FlashControl() { ++g_objects; }
    virtual ~FlashControl() {
        if (view_)
            ::DestroyWindow(view_);
        if (site_)
            site_->Release();
        --g_objects;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else if (iid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceObject*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --refs_;
        if (left == 0)
            delete this;
        return ULONG(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (::lstrcmpiW(names[i], L"FlashVersion") == 0)
                ids[i] = kFlashVersionDispId;
            else if (::lstrcmpiW(names[i], L"Movie") == 0)
                ids[i] = kMovieDispId;
            else if (::lstrcmpiW(names[i], L"ScaleMode") == 0)
                ids[i] = kScaleModeDispId;
        }
        return count == 1 && ids[0] != DISPID_UNKNOWN ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (id == kFlashVersionDispId && (flags & DISPATCH_METHOD))
            return Answer(result, LONG(ConfiguredVersion()));
        if (id != kMovieDispId && id != kScaleModeDispId)
            return DISP_E_MEMBERNOTFOUND;
        if (flags & DISPATCH_PROPERTYGET) {
            if (id == kScaleModeDispId)
                return Answer(result, scaleMode_);
            if (result) {
                ::VariantInit(result);
                result->vt = VT_BSTR;
                result->bstrVal = ::SysAllocStringLen(movie_.data(), UINT(movie_.size()));
            }
            return S_OK;
        }
        if (!(flags & DISPATCH_PROPERTYPUT) || !params || params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        ::VariantInit(&value);
        if (FAILED(::VariantChangeType(&value, &params->rgvarg[0], 0, id == kMovieDispId ? VT_BSTR : VT_I4)))
            return DISP_E_TYPEMISMATCH;
        if (id == kMovieDispId) {
            movie_.assign(value.bstrVal, ::SysStringLen(value.bstrVal));
            // A new movie starts in the player's default mode; a host that wants another puts it back.
            scaleMode_ = kShowAll;
        } else {
            scaleMode_ = value.lVal;
        }
        ::VariantClear(&value);
        Refresh();
        return S_OK;
    }

    // IOleObject: what an in-place host calls; the rest is not needed by a preview.
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        if (site)
            site->AddRef();
        if (site_)
            site_->Release();
        site_ = site;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        *site = site_;
        if (site_)
            site_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        InPlaceDeactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT position) override {
        if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW && verb != OLEIVERB_UIACTIVATE &&
            verb != OLEIVERB_PRIMARY)
            return OLEOBJ_E_NOVERBS;
        if (view_)
            return S_OK;
        IOleInPlaceSite* inPlace = nullptr;
        IOleClientSite* from = site ? site : site_;
        if (from)
            from->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace));
        if (inPlace) {
            inPlace->CanInPlaceActivate();
            inPlace->OnInPlaceActivate();
            if (!parent)
                inPlace->GetWindow(&parent);
        }
        RECT rect = position ? *position : RECT{0, 0, 0, 0};
        if (!position && parent)
            ::GetClientRect(parent, &rect);
        RegisterViewClass();
        view_ = ::CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, g_module, this);
        if (inPlace)
            inPlace->Release();
        Refresh();
        return view_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* id) override {
        *id = kFlashClassId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL* size) override {
        extent_ = *size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL* size) override {
        *size = extent_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* connection) override {
        *connection = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                  OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = view_;
        return view_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        if (view_)
            ::DestroyWindow(view_);
        view_ = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
        if (view_ && position)
            ::MoveWindow(view_, position->left, position->top, position->right - position->left,
                         position->bottom - position->top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<FlashControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_ERASEBKGND)
            return 1;
        if (message == WM_PAINT && self) {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(window, &paint);
            self->Paint(window, dc);
            ::EndPaint(window, &paint);
            return 0;
        }
        if (message == WM_NCDESTROY && self && self->view_ == window)
            self->view_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

private:
    static HRESULT Answer(VARIANT* result, LONG value) {
        if (result) {
            ::VariantInit(result);
            result->vt = VT_I4;
            result->lVal = value;
        }
        return S_OK;
    }

    void Refresh() {
        if (!view_)
            return;
        const std::wstring state = L"ScaleMode=" + std::to_wstring(scaleMode_) + L";Movie=" + movie_;
        ::SetWindowTextW(view_, state.c_str());
        ::InvalidateRect(view_, nullptr, TRUE);
    }

    void Paint(HWND window, HDC dc) {
        RECT client;
        ::GetClientRect(window, &client);
        HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        ::FillRect(dc, &client, black);
        if (movie_.empty())
            return;
        if (EndsWithNoCase(movie_, L".swf")) {
            PaintPlaceholder(dc, client);
            return;
        }
        StartGdiplusOnce();
        Gdiplus::Image image(movie_.c_str());
        if (image.GetLastStatus() != Gdiplus::Ok)
            return;
        const SIZE picture = {LONG(image.GetWidth()), LONG(image.GetHeight())};
        const RECT place = PlacePicture({client.right, client.bottom}, picture, scaleMode_);
        Gdiplus::Graphics graphics(dc);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
        graphics.DrawImage(&image,
                           Gdiplus::Rect(place.left, place.top, place.right - place.left, place.bottom - place.top));
    }

    // An SWF movie cannot be played here: a framed panel with the movie's file name stands in for it.
    void PaintPlaceholder(HDC dc, RECT client) {
        HBRUSH panel = ::CreateSolidBrush(RGB(40, 44, 60));
        RECT inner = {client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
        ::FillRect(dc, &inner, panel);
        ::DeleteObject(panel);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(230, 230, 240));
        const size_t slash = movie_.find_last_of(L"\\/");
        std::wstring text = L"SWF\n" + (slash == std::wstring::npos ? movie_ : movie_.substr(slash + 1));
        ::DrawTextW(dc, text.c_str(), int(text.size()), &inner, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }

    std::atomic<long> refs_{1};
    IOleClientSite* site_ = nullptr;
    HWND view_ = nullptr;
    SIZEL extent_{2540, 2540};
    std::wstring movie_;
    // A host may have changed the mode before; tests set that starting mode through the value "ScaleMode".
    long scaleMode_ = long(Configured(L"ScaleMode", kShowAll));
};

void RegisterViewClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FlashControl::ViewProc;
    wc.hInstance = g_module;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kViewClass;
    ::RegisterClassExW(&wc);
}

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
    if (reason == DLL_PROCESS_DETACH)
        ::UnregisterClassW(kViewClass, instance);
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

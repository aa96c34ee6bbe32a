#include "pages/display/flash_preview.h"

#include "shell/flash_check.h"

namespace {
constexpr DISPID kMovieDispId = 0x66;
constexpr DISPID kScaleModeDispId = 0x78;
} // namespace

bool FlashPreview::Create(HWND parent, const RECT& rect, int id) {
    // ATL's host window class "AtlAxWin" creates the control named by its window text.
    atl_.reset(::LoadLibraryW(L"atl.dll"));
    if (!atl_)
        return false;
    using InitFunction = BOOL(WINAPI*)();
    using GetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);
    auto init = reinterpret_cast<InitFunction>(reinterpret_cast<void*>(::GetProcAddress(atl_.get(), "AtlAxWinInit")));
    auto getControl =
        reinterpret_cast<GetControlFunction>(reinterpret_cast<void*>(::GetProcAddress(atl_.get(), "AtlAxGetControl")));
    if (!init || !getControl || !init())
        return false;
    host_ = ::CreateWindowExW(0, L"AtlAxWin", shell::kFlashClassId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                              rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                              reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!host_)
        return false;
    win32::ComPtr<IUnknown> unknown;
    if (FAILED(getControl(host_, unknown.put())) || !unknown)
        return false;
    control_ = unknown.As<IDispatch>();
    return bool(control_);
}

std::optional<long> FlashPreview::GetScaleMode() const {
    if (!control_)
        return std::nullopt;
    DISPPARAMS none = {};
    win32::Variant result;
    if (FAILED(control_->Invoke(kScaleModeDispId, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                result.get(), nullptr, nullptr)) ||
        FAILED(::VariantChangeType(result.get(), result.get(), 0, VT_I4)))
        return std::nullopt;
    return result.get()->lVal;
}

bool FlashPreview::Put(DISPID id, VARIANT& value) const {
    if (!control_)
        return false;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&value, &named, 1, 1};
    return SUCCEEDED(control_->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                      nullptr, nullptr));
}

bool FlashPreview::SetScaleMode(long mode) const {
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = mode;
    return Put(kScaleModeDispId, value);
}

bool FlashPreview::SetMovie(const std::wstring& path) const {
    win32::Bstr text(path);
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = text.get();
    return Put(kMovieDispId, value);
}

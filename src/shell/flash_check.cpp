#include "shell/flash_check.h"

#include "win32/com.h"
#include "win32/registry.h"

#include <string>

int g_flash8Available = 0;

namespace shell {
namespace {
constexpr DISPID kFlashVersionDispId = 0x84;
}

int CheckFlashPlayer(uint32_t required, uint32_t& installed) {
    std::wstring serverKey = std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + kFlashClassId + L"\\InprocServer32";
    if (!win32::OpenRegKey(HKEY_LOCAL_MACHINE, serverKey, KEY_READ))
        return -1;

    HRESULT oleResult = ::OleInitialize(nullptr);
    struct OleGuard {
        HRESULT result;
        ~OleGuard() {
            if (SUCCEEDED(result))
                ::OleUninitialize();
        }
    } oleGuard{oleResult};

    CLSID classId;
    if (FAILED(::CLSIDFromString(kFlashClassId, &classId)))
        return -1;
    win32::ComPtr<IUnknown> control;
    if (FAILED(::CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IUnknown, control.putVoid())))
        return -1;
    win32::ComPtr<IDispatch> dispatch = control.As<IDispatch>();
    if (!dispatch)
        return -1;
    DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
    win32::Variant result;
    if (FAILED(dispatch->Invoke(kFlashVersionDispId, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &noArguments,
                                result.put(), nullptr, nullptr)))
        return -1;
    win32::Variant version;
    if (FAILED(::VariantChangeType(version.get(), result.get(), 0, VT_I4)))
        return -1;
    installed = uint32_t(version.get()->lVal);
    return installed >= required ? 1 : 0;
}

} // namespace shell

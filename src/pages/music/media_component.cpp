#include "pages/music/media_component.h"

#include "win32/registry.h"

#include <objbase.h>

namespace music {

HRESULT CreateMediaComponent(const CLSID& classId, DWORD context, const IID& interfaceId, void** object) {
    *object = nullptr;
    // Wine workaround: asked for an unregistered class with a local or remote server context, Wine's COM starts
    // the RpcSs service to look for a running server. In a prefix whose RpcSs does not come up, every such call
    // waits several seconds for it (3-10 s per class), so the settings window took 10-20 s to open on a machine
    // without the media software. Windows answers REGDB_E_CLASSNOTREG at once; so does this check, which reads
    // the same class registration COM would. A class registered only as a local server still goes to COM.
    wchar_t classText[40] = {};
    if (!::StringFromGUID2(classId, classText, int(std::size(classText))) ||
        !win32::OpenRegKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + classText, KEY_READ))
        return REGDB_E_CLASSNOTREG;
    return ::CoCreateInstance(classId, nullptr, context, interfaceId, object);
}

} // namespace music

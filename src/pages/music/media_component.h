// Creation of the machine's media components (folder watcher, media database, media player), which may be
// missing altogether.
#pragma once
#include <windows.h>

namespace music {

// CoCreateInstance, but a class with no registration at all fails at once with REGDB_E_CLASSNOTREG.
HRESULT CreateMediaComponent(const CLSID& classId, DWORD context, const IID& interfaceId, void** object);

} // namespace music

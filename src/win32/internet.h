// WinINet's declarations, for code that calls it.
#pragma once
#include <windows.h>

// WinINet is delay-loaded (src/CMakeLists.txt). The x86 linker drops the delay-load stub of a function that the
// program reaches only through its import pointer, as calls through dllimport declarations do, and that pointer
// then starts at 0: the first call jumps to address 0. Declared without dllimport, every call goes through the
// function's stub, which the linker then keeps.
#pragma push_macro("DECLSPEC_IMPORT")
#undef DECLSPEC_IMPORT
#define DECLSPEC_IMPORT
#include <wininet.h>
#pragma pop_macro("DECLSPEC_IMPORT")

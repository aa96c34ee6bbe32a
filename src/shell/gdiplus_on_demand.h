// GDI+ is delay-loaded (src/CMakeLists.txt): gdiplus.dll is mapped by the first GDI+ call rather than when the
// program starts, since the settings window does not need it to appear. The delay-load hook installed here starts
// GDI+ (background thread suppressed, its notification hook on this thread) just before that first call is bound,
// so code that calls GDI+ needs to do nothing of its own.
#pragma once

namespace shell {

// Installs the delay-load hook; GDI+ starts on its first use from then on.
void StartGdiplusOnFirstUse();
// Shuts GDI+ down if it was started; nothing is loaded when it never was.
void ShutdownGdiplusIfStarted();

} // namespace shell

#include "shell/gdiplus_on_demand.h"

#include <windows.h>
#include <delayimp.h>
#include <gdiplus.h>

#include <string_view>

namespace shell {
namespace {

bool g_started = false;
ULONG_PTR g_token = 0;
ULONG_PTR g_hookToken = 0;
Gdiplus::GdiplusStartupOutput g_output = {};

using StartupFunction = Gdiplus::Status(WINAPI*)(ULONG_PTR*, const Gdiplus::GdiplusStartupInput*,
                                                 Gdiplus::GdiplusStartupOutput*);

FARPROC WINAPI BeforeGdiplusCall(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreGetProcAddress || g_started || !info || !info->szDll ||
        ::lstrcmpiA(info->szDll, "gdiplus.dll") != 0)
        return nullptr;
    // The start-up and shut-down functions themselves are bound without starting anything.
    if (info->dlp.fImportByName && info->dlp.szProcName &&
        std::string_view(info->dlp.szProcName).starts_with("Gdiplus"))
        return nullptr;
    g_started = true;
    auto startup =
        reinterpret_cast<StartupFunction>(reinterpret_cast<void*>(::GetProcAddress(info->hmodCur, "GdiplusStartup")));
    if (!startup)
        return nullptr;
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = TRUE;
    input.SuppressExternalCodecs = FALSE;
    if (startup(&g_token, &input, &g_output) != Gdiplus::Ok)
        g_token = 0;
    // With the background thread suppressed, the hook keeps GDI+'s work on this thread.
    else if (g_output.NotificationHook)
        g_output.NotificationHook(&g_hookToken);
    return nullptr;
}

} // namespace

void StartGdiplusOnFirstUse() {
    __pfnDliNotifyHook2 = BeforeGdiplusCall;
}

void ShutdownGdiplusIfStarted() {
    if (!g_token)
        return;
    if (g_hookToken && g_output.NotificationUnhook)
        g_output.NotificationUnhook(g_hookToken);
    Gdiplus::GdiplusShutdown(g_token);
    g_token = 0;
}

} // namespace shell

// How the settings program talks to the display program: one registered message broadcast to every top-level
// window, and the changed-modules file that says which modules' data to re-read.
#pragma once
#include "shell/changed_modules_file.h"

#include <windows.h>

#include <string>
#include <vector>

namespace shell {

inline constexpr wchar_t kCommonMessageName[] = L"TesselCommonMessage0504190";
inline constexpr wchar_t kChangedModulesFileName[] = L"cmf.dat";

inline constexpr WPARAM kCodeSettingsSaved = 0xABE00001;
inline constexpr WPARAM kCodeCloseSettings = 0xABE00003;
inline constexpr WPARAM kCodeTimerSwitchedOff = 0xABE00004;
inline constexpr WPARAM kCodeBringSettingsForward = 0xABE00005;
inline constexpr WPARAM kCodeSiteAdded = 0xABE0000F;

// The registered message's number (registered on first use).
UINT CommonMessage();

// Writes cmf.dat in the per-user Modules folder; does nothing when there is nothing to report.
void WriteChangedModulesFile(const std::vector<std::wstring>& modules, int timerChanged);
void BroadcastCode(WPARAM code);
// Brings the window to the front even while another application holds the foreground.
void ForceForeground(HWND window);

} // namespace shell

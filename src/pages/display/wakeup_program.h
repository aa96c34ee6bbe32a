// What switches the wake-up program on and off: its shortcut in the user's Startup folder, starting it, and
// the registry values it reads.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wakeup {

inline constexpr wchar_t kTimerKey[] = L"Software\\Quillon\\Tessel\\Timer";
inline constexpr wchar_t kShortcutName[] = L"SkylumeWakeup.lnk";
inline constexpr wchar_t kProgramName[] = L"Wakeup.exe";

// "<Startup folder>\SkylumeWakeup.lnk"; the Startup folder is created when missing. Empty on failure.
std::wstring StartupShortcutPath();
// "Wakeup.exe" in the folder of the installed display program; empty when "ApplicationPath" is missing.
std::wstring WakeupProgramPath();
// A shortcut to `target` (its own icon, index 0, normal window), replacing the one at `shortcut` in one step so
// that it is never missing; false, with the old shortcut left, when the target does not exist or a step fails.
bool CreateShortcut(const std::wstring& shortcut, const std::wstring& target);
void DeleteShortcut(const std::wstring& shortcut);
// Opens the shortcut as the shell would, so the wake-up program starts now.
void StartShortcut(const std::wstring& shortcut);

// A binary value no larger than `bufferSize`; nullopt when missing or larger.
std::optional<std::vector<uint8_t>> ReadBinaryValue(HKEY key, const wchar_t* name, size_t bufferSize);
void WriteBinaryValue(HKEY key, const wchar_t* name, const std::vector<uint8_t>& bytes);
// A REG_DWORD value; nullopt when missing or of another type.
std::optional<DWORD> ReadDwordValue(HKEY key, const wchar_t* name);
void WriteDwordValue(HKEY key, const wchar_t* name, DWORD value);
// A REG_SZ value written with its terminating null.
void WriteStringValue(HKEY key, const wchar_t* name, const std::wstring& value);
std::optional<std::wstring> ReadStringValue(HKEY key, const wchar_t* name);

} // namespace wakeup

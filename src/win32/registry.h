// Registry reads and writes that report failure by return value.
#pragma once
#include "win32/handle.h"

#include <optional>
#include <string>

namespace win32 {

RegKey OpenRegKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
RegKey CreateRegKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ | KEY_WRITE);
std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& path, const std::wstring& name);
// Only a REG_DWORD value counts; any other type reads as absent.
std::optional<DWORD> ReadRegDword(HKEY root, const std::wstring& path, const std::wstring& name);
bool WriteRegString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
bool WriteRegDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);

} // namespace win32

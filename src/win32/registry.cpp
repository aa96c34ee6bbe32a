#include "win32/registry.h"

#include <vector>

namespace win32 {

RegKey OpenRegKey(HKEY root, const std::wstring& path, REGSAM access) {
    RegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

RegKey CreateRegKey(HKEY root, const std::wstring& path, REGSAM access) {
    RegKey key;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& path, const std::wstring& name) {
    RegKey key = OpenRegKey(root, path);
    if (!key)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

std::optional<DWORD> ReadRegDword(HKEY root, const std::wstring& path, const std::wstring& name) {
    RegKey key = OpenRegKey(root, path);
    if (!key)
        return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool WriteRegString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    RegKey key = CreateRegKey(root, path, KEY_WRITE);
    return key && ::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WriteRegDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    RegKey key = CreateRegKey(root, path, KEY_WRITE);
    return key && ::RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)) == ERROR_SUCCESS;
}

} // namespace win32

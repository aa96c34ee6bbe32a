#include "pages/display/wakeup_program.h"

#include "shell/folders.h"
#include "win32/atomic_file.h"
#include "win32/com.h"
#include "win32/registry.h"

#include <shlobj.h>
#include <shellapi.h>

namespace wakeup {

std::wstring StartupShortcutPath() {
    wchar_t folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, TRUE))
        return {};
    return std::wstring(folder) + L"\\" + kShortcutName;
}

std::wstring WakeupProgramPath() {
    auto application = win32::ReadRegString(HKEY_LOCAL_MACHINE, shell::kProductRegistryKey, L"ApplicationPath");
    if (!application)
        return {};
    return application->substr(0, application->find_last_of(L'\\') + 1) + kProgramName;
}

bool CreateShortcut(const std::wstring& shortcut, const std::wstring& target) {
    if (target.empty() || ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    win32::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())))
        return false;
    link->SetPath(target.c_str());
    link->SetIconLocation(target.c_str(), 0);
    link->SetShowCmd(SW_SHOWNORMAL);
    // The link is made in memory and then takes the old one's place in one step: the timer counts as on while
    // the shortcut exists, so a shortcut deleted and made anew would switch it off for a moment (for good, were
    // the program ended in between).
    win32::ComPtr<IPersistStream> persist = link.As<IPersistStream>();
    win32::ComPtr<IStream> stream;
    if (!persist || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(persist->Save(stream.get(), TRUE)))
        return false;
    HGLOBAL memory = nullptr;
    if (FAILED(::GetHGlobalFromStream(stream.get(), &memory)))
        return false;
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return false;
    const void* bytes = ::GlobalLock(memory);
    if (!bytes)
        return false;
    const bool written = win32::WriteFileAtomically(
        shortcut, std::string_view(static_cast<const char*>(bytes), size_t(stat.cbSize.QuadPart)));
    ::GlobalUnlock(memory);
    return written;
}

void DeleteShortcut(const std::wstring& shortcut) {
    ::SetFileAttributesW(shortcut.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(shortcut.c_str());
}

void StartShortcut(const std::wstring& shortcut) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT;
    info.lpVerb = L"open";
    info.lpFile = shortcut.c_str();
    info.nShow = SW_SHOWDEFAULT;
    if (::ShellExecuteExW(&info) && info.hProcess)
        ::CloseHandle(info.hProcess);
}

std::optional<std::vector<uint8_t>> ReadBinaryValue(HKEY key, const wchar_t* name, size_t bufferSize) {
    std::vector<uint8_t> bytes(bufferSize, 0);
    DWORD size = DWORD(bufferSize);
    if (::RegQueryValueExW(key, name, nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return bytes;
}

void WriteBinaryValue(HKEY key, const wchar_t* name, const std::vector<uint8_t>& bytes) {
    ::RegSetValueExW(key, name, 0, REG_BINARY, bytes.data(), DWORD(bytes.size()));
}

std::optional<DWORD> ReadDwordValue(HKEY key, const wchar_t* name) {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void WriteDwordValue(HKEY key, const wchar_t* name, DWORD value) {
    ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void WriteStringValue(HKEY key, const wchar_t* name, const std::wstring& value) {
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     DWORD((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> ReadStringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

} // namespace wakeup

#include "stand_in_config.h"

#include <atomic>

namespace standin {
namespace {

std::atomic<long> g_objects{0};

std::wstring KeyPath(const wchar_t* part) {
    return std::wstring(L"Software\\SkylumeStandIns\\") + part;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

} // namespace

std::optional<DWORD> ReadSwitch(const wchar_t* part, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, KeyPath(part).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadText(const wchar_t* part, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    if (::RegGetValueW(HKEY_CURRENT_USER, KeyPath(part).c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

bool TakeOneFromCount(const wchar_t* part, const wchar_t* name) {
    auto count = ReadSwitch(part, name);
    if (!count || *count == 0)
        return false;
    DWORD left = *count - 1;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(part).c_str(), name, REG_DWORD, &left, sizeof(left));
    return true;
}

bool SwitchNamesPath(const wchar_t* part, const wchar_t* name, const std::wstring& path) {
    auto text = ReadText(part, name);
    return text && (*text == L"*" || ::lstrcmpiW(text->c_str(), path.c_str()) == 0);
}

std::wstring ModuleFolder() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ModuleFolder), &self);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring full = path;
    return full.substr(0, full.find_last_of(L'\\'));
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty())
        return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char block[65536];
    DWORD read = 0;
    while (::ReadFile(file, block, sizeof(block), &read, nullptr) && read > 0)
        bytes.append(block, read);
    ::CloseHandle(file);
    return bytes;
}

std::wstring ReadTextFile(const std::wstring& path) {
    return FromUtf8(ReadFileBytes(path));
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    const std::wstring text = ReadTextFile(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        size_t length = end - start;
        if (length > 0 && text[end - 1] == L'\r')
            --length;
        if (length > 0)
            lines.emplace_back(text, start, length);
        start = end + 1;
    }
    return lines;
}

void WriteLines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::string bytes;
    for (const std::wstring& line : lines)
        bytes += ToUtf8(line) + "\r\n";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

void AppendLine(const std::wstring& path, const std::wstring& line) {
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string bytes = ToUtf8(line) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

void AddObject() {
    ++g_objects;
}

void ReleaseObject() {
    --g_objects;
}

bool HasObjects() {
    return g_objects > 0;
}

} // namespace standin

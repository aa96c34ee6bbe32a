#include "music_stand_ins.h"

#include <stdexcept>

namespace testenv {
namespace {

constexpr wchar_t kSwitchesKey[] = L"Software\\SkylumeStandIns";

void ClearSwitches() {
    for (const wchar_t* part : {L"FolderWatcher", L"MediaDatabase", L"MediaPlayer", L"Music", L"Wakeup"})
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kSwitchesKey) + L"\\" + part).c_str());
}

std::vector<std::wstring> ReadUtf8Lines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    const std::string bytes = ReadFile(path).value_or("");
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty()) {
            std::wstring wide(line.size(), L'\0');
            wide.resize(size_t(
                ::MultiByteToWideChar(CP_UTF8, 0, line.data(), int(line.size()), wide.data(), int(wide.size()))));
            lines.push_back(wide);
        }
        start = end + 1;
    }
    return lines;
}

void WriteUtf8Lines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::string bytes;
    for (const std::wstring& line : lines) {
        std::string narrow(line.size() * 4 + 1, '\0');
        narrow.resize(size_t(::WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), narrow.data(),
                                                   int(narrow.size()), nullptr, nullptr)));
        bytes += narrow + "\r\n";
    }
    WriteFile(path, bytes);
}

} // namespace

MusicStandIns::MusicStandIns() {
    ClearSwitches();
    if (FAILED(CallExport(L"MusicStandIns.dll", "DllRegisterServer")))
        throw std::runtime_error("cannot register the music stand-ins");
    SetText(L"FolderWatcher", L"StateFolder", state_.path());
}

MusicStandIns::~MusicStandIns() {
    ClearSwitches();
    CallExport(L"MusicStandIns.dll", "DllRegisterServer");
}

void MusicStandIns::Unregister() const {
    if (FAILED(CallExport(L"MusicStandIns.dll", "DllUnregisterServer")))
        throw std::runtime_error("cannot unregister the music stand-ins");
}

std::vector<std::wstring> MusicStandIns::Folders(const std::wstring& client) const {
    return ReadUtf8Lines(state_ / (client + L".txt"));
}

void MusicStandIns::SetFolders(const std::vector<std::wstring>& folders, const std::wstring& client) const {
    WriteUtf8Lines(state_ / (client + L".txt"), folders);
}

std::vector<std::wstring> MusicStandIns::Calls() const {
    return ReadUtf8Lines(state_ / L"calls.log");
}

void MusicStandIns::SetFixture(const std::vector<std::wstring>& lines) const {
    WriteUtf8Lines(state_ / L"fixture.txt", lines);
    SetText(L"Music", L"Fixture", state_ / L"fixture.txt");
}

void MusicStandIns::SetSwitch(const wchar_t* part, const wchar_t* name, DWORD value) const {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kSwitchesKey) + L"\\" + part).c_str(), name, REG_DWORD, &value,
                      sizeof(value));
}

void MusicStandIns::SetText(const wchar_t* part, const wchar_t* name, const std::wstring& value) const {
    SetRegistryText(HKEY_CURRENT_USER, std::wstring(kSwitchesKey) + L"\\" + part, name, value);
}

std::optional<DWORD> MusicStandIns::Switch(const wchar_t* part, const wchar_t* name) const {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kSwitchesKey) + L"\\" + part).c_str(), name, RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

} // namespace testenv

#include "pages/music/folder_exclusion.h"

#include "pages/music/folder_relations.h"
#include "win32/handle.h"
#include "win32/registry.h"
#include "win32/strings.h"

#include <windows.h>
#include <shlobj.h>
#include <winioctl.h>

#include <vector>

namespace music {
namespace {

constexpr wchar_t kMediaServerKey[] = L"SOFTWARE\\Quillon\\Pennard";
constexpr wchar_t kHiddenListKey[] = L"SOFTWARE\\Quillon\\Orvella Platform\\1.0\\Qbfw\\Excluded\\Hidden";
constexpr wchar_t kInhibitedListKey[] = L"SOFTWARE\\Quillon\\Orvella Platform\\1.0\\Qbfw\\Excluded\\Inhibited";
constexpr wchar_t kMediaCentreKey[] = L"SOFTWARE\\Quillon\\Orvella\\1.0\\System";
// Registry strings are read into buffers of this many bytes; longer values are not read.
constexpr DWORD kRegistryStringBytes = 520;

std::optional<std::wstring> ReadMachineString(const wchar_t* path, const wchar_t* name) {
    win32::RegKey key = win32::OpenRegKey(HKEY_LOCAL_MACHINE, path);
    if (!key)
        return std::nullopt;
    wchar_t buffer[kRegistryStringBytes / sizeof(wchar_t) + 1] = {};
    DWORD type = 0, size = kRegistryStringBytes;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::wstring(buffer);
}

// Every REG_SZ value of the key, whatever its name.
std::vector<std::wstring> ReadMachineList(const wchar_t* path) {
    std::vector<std::wstring> values;
    win32::RegKey key = win32::OpenRegKey(HKEY_LOCAL_MACHINE, path);
    if (!key)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        wchar_t data[kRegistryStringBytes / sizeof(wchar_t) + 1] = {};
        DWORD size = kRegistryStringBytes;
        const LONG result =
            ::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && type == REG_SZ)
            values.emplace_back(data);
    }
    return values;
}

bool IsInList(const std::wstring& path, const std::vector<std::wstring>& list) {
    for (const std::wstring& entry : list)
        if (IsInsideOrEqual(path, entry))
            return true;
    return false;
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

bool PassesMediaServerRules(const std::wstring& path) {
    if (auto uploadRoot = ReadMachineString(kMediaServerKey, L"UploadRoot"))
        if (IsInsideOrEqual(path, *uploadRoot))
            return false;
    return !IsInList(path, ReadMachineList(kHiddenListKey));
}

bool PassesMediaCentreRule(const std::wstring& path) {
    const std::wstring firstLevel = FirstLevelFolder(path);
    for (const wchar_t* name : {L"RecordingFolder", L"TemporaryFolder", L"ThumbnailFolder"}) {
        auto folder = ReadMachineString(kMediaCentreKey, name);
        if (folder && !folder->empty() && win32::EqualsNoCase(FirstLevelFolder(*folder), firstLevel))
            return false;
    }
    return true;
}

// Outside the user's own documents and desktop, system and program folders and every profile are refused.
bool PassesUserFolderRule(const std::wstring& path) {
    const std::wstring commonDocuments = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    for (const std::wstring& allowed :
         {commonDocuments, ShellFolder(CSIDL_PERSONAL), ShellFolder(CSIDL_DESKTOPDIRECTORY)})
        if (!allowed.empty() && IsInsideOrEqual(path, allowed))
            return true;
    for (int system : {CSIDL_PROGRAM_FILES, CSIDL_WINDOWS}) {
        const std::wstring folder = ShellFolder(system);
        if (!folder.empty() && IsInsideOrEqual(path, folder))
            return false;
    }
    const size_t cut = commonDocuments.find(L'\\', 3);
    const std::wstring profilesRoot = cut == std::wstring::npos ? commonDocuments : commonDocuments.substr(0, cut);
    return profilesRoot.size() <= 3 || !IsInsideOrEqual(path, profilesRoot);
}

} // namespace

std::optional<unsigned long> QueryVolumeBusType(wchar_t driveLetter) {
    const std::wstring volume = std::wstring(L"\\\\.\\") + driveLetter + L":";
    win32::FileHandle device(
        ::CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device)
        return std::nullopt;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(STORAGE_DEVICE_DESCRIPTOR) BYTE answer[1000] = {};
    DWORD returned = 0;
    if (!::DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), answer, sizeof(answer),
                           &returned, nullptr) ||
        returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE))
        return std::nullopt;
    return static_cast<unsigned long>(reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer)->BusType);
}

bool IsFolderAllowed(const std::wstring& path, const BusTypeQuery& busType) {
    if (path.size() < 3 || !PassesMediaServerRules(path))
        return false;
    if (IsInList(path, ReadMachineList(kInhibitedListKey)))
        return false;
    const std::wstring drive = path.substr(0, 3);
    if (::GetDriveTypeW(drive.c_str()) != DRIVE_FIXED || win32::EqualsNoCase(path, drive))
        return false;
    if (auto bus = busType ? busType(drive[0]) : std::nullopt; bus && (*bus == kBusType1394 || *bus == kBusTypeUsb))
        return false;
    return PassesMediaCentreRule(path) && PassesUserFolderRule(path);
}

} // namespace music

#include "pages/display/background_files.h"

#include "pages/display/background_list.h"
#include "shell/folders.h"
#include "win32/atomic_file.h"
#include "win32/handle.h"
#include "xmldata/xml_document.h"

#include <windows.h>

namespace display {

std::vector<std::wstring> ReadBackgroundListFile(const std::wstring& path, bool* whole) {
    if (whole)
        *whole = false;
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (whole)
            *whole = ::GetLastError() == ERROR_FILE_NOT_FOUND;
        return {};
    }
    LARGE_INTEGER size = {};
    // The largest list (10000 records of 260 characters) is about 5 MB; anything far beyond that is not a list.
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return {};
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return ParseBackgroundList(bytes, whole);
}

bool WriteBackgroundListFile(const std::wstring& path, const std::vector<std::wstring>& paths) {
    return win32::WriteFileAtomically(path, SerializeBackgroundList(paths));
}

} // namespace display

namespace {

// The full path of a file as the file system reports it once opened: absolute, with the name in its stored case.
std::wstring OpenedFilePath(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return path;
    wchar_t full[MAX_PATH] = {};
    wchar_t* name = nullptr;
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH)
        return path;
    std::wstring result = full;
    WIN32_FIND_DATAW entry;
    win32::FindHandle find(::FindFirstFileW(full, &entry));
    if (find && name)
        result = result.substr(0, size_t(name - full)) + entry.cFileName;
    return result;
}

} // namespace

bool BuildDefaultBackgroundList(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    for (const wchar_t* pattern : {L"/*.jpg", L"/*.jpeg", L"/*.swf"}) {
        WIN32_FIND_DATAW entry;
        win32::FindHandle find(::FindFirstFileW((folder + pattern).c_str(), &entry));
        if (!find)
            continue;
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L".." && !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                paths.push_back(folder + L"\\" + name);
        } while (::FindNextFileW(find.get(), &entry));
    }
    if (paths.empty())
        return false;
    std::wstring common;
    shell::GetCommonModulesFolder(common);
    return display::WriteBackgroundListFile(common + L"\\" + shell::kBackgroundListFileName, paths);
}

bool RelocateBackgroundPath(const std::wstring& dataFile) {
    auto writer = xmldata::XmlWriter::Edit(dataFile);
    if (!writer.loaded())
        return false;
    xmldata::Node background = xmldata::SelectNode(writer.DocumentNode(), L"/conf_data/background");
    if (!background)
        return false;
    std::wstring folder;
    shell::GetCommonBackgroundFolder(folder);
    const std::wstring prefix = folder + L"\\";
    const std::wstring text = xmldata::Text(background);
    if (text.find(prefix) != std::wstring::npos)
        return false;
    writer.SetText(background, OpenedFilePath(prefix + text));
    return writer.Save(dataFile);
}

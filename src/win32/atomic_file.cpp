#include "win32/atomic_file.h"

#include "win32/handle.h"

#include <windows.h>

namespace win32 {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(bytes.size() < 0x40000000 ? bytes.size() : 0x40000000);
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
    wchar_t temporary[MAX_PATH + 1] = {};
    // The temporary file must live on the target's volume, or the final move would be a copy.
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"sky", 0, temporary))
        return false;
    bool written = false;
    {
        FileHandle file(::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        written = file && WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    }
    if (written) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        written = ::MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!written)
        ::DeleteFileW(temporary);
    return written;
}

} // namespace win32

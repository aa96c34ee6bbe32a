#include "win32/atomic_file.h"

#include "win32/handle.h"

#include <windows.h>

namespace win32 {

namespace {

// A reader that has the target open without delete sharing holds the replacement off; readers of these small
// files close them again at once, so waiting a little is enough.
constexpr DWORD kReplaceWaitMs = 10000;

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

bool IsTransientSharingFailure(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Puts `temporary` in the place of `path` in one rename. MoveFileEx is used rather than ReplaceFile: ReplaceFile
// carries the old file's attributes over (a read-only or hidden flag would survive the save) and is not one
// rename on every system.
bool ReplaceTarget(const std::wstring& temporary, const std::wstring& path) {
    const DWORD start = ::GetTickCount();
    for (DWORD pause = 1;; pause = pause < 50 ? pause * 2 : 50) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!IsTransientSharingFailure(::GetLastError()) || ::GetTickCount() - start > kReplaceWaitMs)
            return false;
        ::Sleep(pause);
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::wstring& path) : path_(path) {
    wchar_t temporary[MAX_PATH + 1] = {};
    // The temporary file must live on the target's volume, or the final move would be a copy.
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"sky", 0, temporary))
        return;
    temporary_ = temporary;
    file_.reset(::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ok_ = bool(file_);
}

AtomicFileWriter::~AtomicFileWriter() {
    file_.reset();
    if (!committed_ && !temporary_.empty())
        ::DeleteFileW(temporary_.c_str());
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    ok_ = ok_ && WriteAll(file_.get(), bytes);
    return ok_;
}

bool AtomicFileWriter::Commit() {
    ok_ = ok_ && ::FlushFileBuffers(file_.get());
    file_.reset();
    committed_ = ok_ && ReplaceTarget(temporary_, path_);
    ok_ = committed_;
    return committed_;
}

bool WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
    AtomicFileWriter file(path);
    return file.Write(bytes) && file.Commit();
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, DWORD(bytes.size() - done), &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break;
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

} // namespace win32

#include "win32/atomic_file.h"

#include "win32/handle.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

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

// Creates and opens a new temporary file in `folder` in one step, so that it is never on disk without its
// writer holding it. Others may rename it (the final move) but not read, write or delete it.
FileHandle CreateTemporaryFile(const std::wstring& folder, std::wstring& name) {
    const DWORD start = ::GetTickCount() ^ ::GetCurrentProcessId();
    for (DWORD attempt = 0; attempt < 0x10000; ++attempt) {
        wchar_t leaf[16] = {};
        swprintf(leaf, 16, L"\\sky%X.tmp", (start + attempt) & 0xFFFF);
        name = folder + leaf;
        FileHandle file(::CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return FileHandle();
}

// Named like GetTempFileName's files: the prefix, one to four hex digits, ".tmp".
bool IsTempFileName(std::wstring_view name, std::wstring_view prefix) {
    constexpr size_t kSuffix = 4;
    const size_t prefixLength = prefix.size();
    if (name.size() < prefixLength + 1 + kSuffix || name.size() > prefixLength + 4 + kSuffix ||
        _wcsnicmp(name.data(), prefix.data(), prefixLength) != 0 ||
        _wcsnicmp(name.data() + name.size() - kSuffix, L".tmp", kSuffix) != 0)
        return false;
    for (wchar_t c : name.substr(prefixLength, name.size() - prefixLength - kSuffix))
        if (!iswxdigit(c))
            return false;
    return true;
}

} // namespace

void RemoveAbandonedTempFiles(const std::wstring& folder, std::wstring_view prefix) {
    WIN32_FIND_DATAW found = {};
    FindHandle search(::FindFirstFileExW((folder + L"\\" + std::wstring(prefix) + L"*.tmp").c_str(), FindExInfoBasic,
                                         &found, FindExSearchNameMatch, nullptr, 0));
    if (!search)
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTempFileName(found.cFileName, prefix))
            continue;
        const std::wstring leftover = folder + L"\\" + found.cFileName;
        FileHandle(
            ::CreateFileW(leftover.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    } while (::FindNextFileW(search.get(), &found));
}

AtomicFileWriter::AtomicFileWriter(const std::wstring& path) : path_(path) {
    const std::wstring folder = FolderOf(path);
    RemoveAbandonedTempFiles(folder, L"sky");
    // The temporary file must live on the target's volume, or the final move would be a copy.
    file_ = CreateTemporaryFile(folder, temporary_);
    ok_ = bool(file_);
    if (!ok_)
        temporary_.clear();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_ && !temporary_.empty())
        ::DeleteFileW(temporary_.c_str());
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    ok_ = ok_ && WriteAll(file_.get(), bytes);
    return ok_;
}

bool AtomicFileWriter::Commit() {
    // The handle stays open until the temporary file has taken the target's place: while it is open, no cleanup
    // of another save can take the file for abandoned.
    ok_ = ok_ && ::FlushFileBuffers(file_.get());
    committed_ = ok_ && ReplaceTarget(temporary_, path_);
    if (!committed_ && !temporary_.empty())
        ::DeleteFileW(temporary_.c_str());
    temporary_.clear();
    file_.reset();
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

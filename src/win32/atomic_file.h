// Every file the program writes goes through here: the bytes go to a temporary file in the target's folder,
// are flushed to disk, and the temporary file then takes the target's place in one step. A reader (or the next
// start after a kill or power cut) sees the whole old file or the whole new one, never a part.
#pragma once
#include "win32/handle.h"

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// Deletes the files in `folder` named as GetTempFileName names them with `prefix` ("sky" for this helper's own)
// that nobody holds open: what a killed or hung writer left behind. A live writer keeps its file open without
// delete sharing, so the exclusive delete-on-close open fails on it.
void RemoveAbandonedTempFiles(const std::wstring& folder, std::wstring_view prefix);

// Writes `bytes` as the file at `path`, replacing it in one step. A read-only or hidden target is replaced too
// (its attributes are cleared first). False, with the target untouched, when any step fails.
bool WriteFileAtomically(const std::wstring& path, std::string_view bytes);

// The same replacement for bytes that are made piece by piece, so a large file needs no buffer of its whole size:
// the pieces go to the temporary file, and Commit flushes it and puts it in the target's place. Until then the
// target is untouched; a writer dropped without a successful Commit deletes its temporary file.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::wstring& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False, from then on, once a write has failed or the temporary file could not be made.
    bool Write(std::string_view bytes);
    // Flushes the bytes to disk and replaces the target; false, with the target untouched, when a step fails.
    bool Commit();

private:
    std::wstring path_;
    std::wstring temporary_;
    FileHandle file_;
    bool ok_ = false;
    bool committed_ = false;
};

// The whole file, read while others may write it; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

} // namespace win32

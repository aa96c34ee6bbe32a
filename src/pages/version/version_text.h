// The first line of "version.txt" as bytes: what the Version page shows, before the platform turns it into text.
// Pure byte handling, so it also builds natively for fuzzing.
#pragma once
#include <string>
#include <string_view>

// The reader looks at no more than this many bytes; a version line is short.
inline constexpr size_t kVersionFileReadLimit = 1024;

struct VersionFileLine {
    std::string bytes; // without the line end and without a UTF-8 byte order mark
    bool utf8 = false; // the file began with a UTF-8 byte order mark; otherwise the bytes are in the ANSI code page
};

VersionFileLine FirstLineOfVersionFile(std::string_view fileStart);

// Reads the directory of a compiled HTML Help (.chm) file: the names and uncompressed lengths of its entries.
// Plain bytes in, no platform calls, so it can also run natively.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testenv {

struct ChmEntry {
    std::string name; // "/html/T001WHAT.htm"
    uint64_t section = 0;
    uint64_t length = 0;
};

// The entries of every listing chunk, in file order; nullopt when the bytes are not a well-formed CHM directory.
std::optional<std::vector<ChmEntry>> ReadChmDirectory(std::string_view file);

} // namespace testenv

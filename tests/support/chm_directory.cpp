#include "chm_directory.h"

#include <cstring>

namespace testenv {
namespace {

// Little-endian reads that fail outside the buffer instead of reading past it.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Has(uint64_t at, uint64_t size) const { return at <= bytes_.size() && size <= bytes_.size() - at; }
    std::optional<uint64_t> Unsigned(uint64_t at, int size) const {
        if (!Has(at, size))
            return std::nullopt;
        uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[at + i]);
        return value;
    }
    bool Tag(uint64_t at, const char* tag) const { return Has(at, 4) && std::memcmp(bytes_.data() + at, tag, 4) == 0; }
    // The format's variable-length number: 7 bits a byte, most significant first, high bit set on all but the last.
    std::optional<uint64_t> EncodedInt(uint64_t& at, uint64_t end) const {
        uint64_t value = 0;
        for (int i = 0; i < 10 && at < end; ++i) {
            const auto byte = static_cast<unsigned char>(bytes_[at++]);
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80))
                return value;
        }
        return std::nullopt;
    }
    std::string_view Slice(uint64_t at, uint64_t size) const { return bytes_.substr(at, size); }

private:
    std::string_view bytes_;
};

bool ReadListingChunk(const Reader& file, uint64_t chunk, uint64_t chunkSize, std::vector<ChmEntry>& entries) {
    constexpr uint64_t kEntriesStart = 0x14;
    const auto freeSpace = file.Unsigned(chunk + 4, 4);
    if (!freeSpace || *freeSpace > chunkSize - kEntriesStart)
        return false;
    const uint64_t end = chunk + chunkSize - *freeSpace;
    for (uint64_t at = chunk + kEntriesStart; at < end;) {
        const auto nameLength = file.EncodedInt(at, end);
        if (!nameLength || *nameLength > end - at)
            return false;
        ChmEntry entry;
        entry.name = std::string(file.Slice(at, *nameLength));
        at += *nameLength;
        const auto section = file.EncodedInt(at, end);
        const auto offset = file.EncodedInt(at, end);
        const auto length = file.EncodedInt(at, end);
        if (!section || !offset || !length)
            return false;
        entry.section = *section;
        entry.length = *length;
        entries.push_back(std::move(entry));
    }
    return true;
}

} // namespace

std::optional<std::vector<ChmEntry>> ReadChmDirectory(std::string_view bytes) {
    const Reader file(bytes);
    if (!file.Tag(0, "ITSF"))
        return std::nullopt;
    const auto directory = file.Unsigned(0x48, 8);
    if (!directory || !file.Tag(*directory, "ITSP"))
        return std::nullopt;
    const auto headerLength = file.Unsigned(*directory + 0x08, 4);
    const auto chunkSize = file.Unsigned(*directory + 0x10, 4);
    const auto chunkCount = file.Unsigned(*directory + 0x2C, 4);
    if (!headerLength || !chunkSize || !chunkCount || *chunkSize < 0x20)
        return std::nullopt;
    std::vector<ChmEntry> entries;
    for (uint64_t i = 0; i < *chunkCount; ++i) {
        const uint64_t chunk = *directory + *headerLength + i * *chunkSize;
        if (!file.Has(chunk, *chunkSize))
            return std::nullopt;
        // Index chunks ("PMGI") only speed up look-ups; the listing chunks hold every entry.
        if (file.Tag(chunk, "PMGL") && !ReadListingChunk(file, chunk, *chunkSize, entries))
            return std::nullopt;
    }
    return entries;
}

} // namespace testenv

// Little-endian binary records: 32-bit integers and length-prefixed UTF-16 strings. The reader checks every
// length against what remains, so a damaged file reads as a failure instead of running past its end.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace shell {

class BinaryWriter {
public:
    void PutUint32(uint32_t value);
    // A 4-byte count of UTF-16 code units, then the code units, no terminator.
    void PutString(std::wstring_view text);
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class BinaryReader {
public:
    explicit BinaryReader(std::string_view bytes) : bytes_(bytes) {}
    std::optional<uint32_t> GetUint32();
    std::optional<std::wstring> GetString();
    size_t remaining() const { return bytes_.size() - position_; }

private:
    std::string_view bytes_;
    size_t position_ = 0;
};

} // namespace shell

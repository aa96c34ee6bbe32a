#include "shell/binary_io.h"

#include <cstring>

namespace shell {

void BinaryWriter::PutUint32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(char((value >> shift) & 0xFF));
}

void BinaryWriter::PutString(std::wstring_view text) {
    PutUint32(uint32_t(text.size()));
    for (wchar_t unit : text) {
        bytes_.push_back(char(uint16_t(unit) & 0xFF));
        bytes_.push_back(char(uint16_t(unit) >> 8));
    }
}

std::optional<uint32_t> BinaryReader::GetUint32() {
    if (remaining() < 4)
        return std::nullopt;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(uint8_t(bytes_[position_ + i])) << (8 * i);
    position_ += 4;
    return value;
}

std::optional<std::wstring> BinaryReader::GetString() {
    const size_t start = position_;
    std::optional<uint32_t> length = GetUint32();
    if (!length || *length > remaining() / 2) {
        position_ = start;
        return std::nullopt;
    }
    std::wstring text(*length, L'\0');
    const char* units = bytes_.data() + position_;
    if constexpr (sizeof(wchar_t) == 2) {
        // UTF-16LE is the in-memory form of wchar_t on the little-endian Windows targets: one copy.
        std::memcpy(text.data(), units, size_t(*length) * 2);
    } else {
        // The native build for fuzzing has a wider wchar_t: the same units, one at a time.
        for (size_t i = 0; i < *length; ++i)
            text[i] = wchar_t(uint8_t(units[2 * i]) | uint8_t(units[2 * i + 1]) << 8);
    }
    position_ += size_t(*length) * 2;
    return text;
}

} // namespace shell

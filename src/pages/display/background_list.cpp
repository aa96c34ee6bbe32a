#include "pages/display/background_list.h"

#include "shell/binary_io.h"

namespace display {

std::vector<std::wstring> ParseBackgroundList(std::string_view bytes, bool* whole) {
    std::vector<std::wstring> paths;
    if (whole)
        *whole = false;
    shell::BinaryReader reader(bytes);
    const auto magic = reader.GetUint32();
    if (!magic || *magic != kBackgroundListMagic)
        return paths;
    const auto count = reader.GetUint32();
    if (!count || int32_t(*count) < 0 || int32_t(*count) > kMaxBackgroundCount)
        return paths;
    for (uint32_t i = 0; i < *count; ++i) {
        auto path = reader.GetString();
        if (!path || path->size() > kMaxBackgroundPathLength)
            return paths;
        paths.push_back(std::move(*path));
    }
    if (whole)
        *whole = true;
    return paths;
}

std::string SerializeBackgroundList(const std::vector<std::wstring>& paths) {
    shell::BinaryWriter writer;
    writer.PutUint32(kBackgroundListMagic);
    writer.PutUint32(uint32_t(paths.size()));
    for (const std::wstring& path : paths)
        writer.PutString(path);
    return writer.bytes();
}

} // namespace display

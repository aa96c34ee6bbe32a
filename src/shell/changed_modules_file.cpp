#include "shell/changed_modules_file.h"

#include "shell/binary_io.h"

namespace shell {

std::string BuildChangedModulesFile(const std::vector<std::wstring>& modules, int timerChanged) {
    BinaryWriter writer;
    writer.PutUint32(uint32_t(timerChanged));
    writer.PutUint32(uint32_t(modules.size()));
    for (const std::wstring& name : modules)
        writer.PutString(name);
    return writer.bytes();
}

std::optional<ChangedModules> ParseChangedModulesFile(std::string_view bytes) {
    BinaryReader reader(bytes);
    const auto timer = reader.GetUint32();
    const auto count = reader.GetUint32();
    if (!timer || !count)
        return std::nullopt;
    ChangedModules result;
    result.timerChanged = int(*timer);
    for (uint32_t i = 0; i < *count; ++i) {
        auto name = reader.GetString();
        if (!name)
            return std::nullopt;
        result.modules.push_back(std::move(*name));
    }
    if (reader.remaining() != 0)
        return std::nullopt;
    return result;
}

} // namespace shell

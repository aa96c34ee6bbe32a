#include "pages/world_clock/city_database_file.h"

#include "shell/binary_io.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<int32_t> GetInt32(shell::BinaryReader& reader) {
    auto value = reader.GetUint32();
    if (!value)
        return std::nullopt;
    return int32_t(*value);
}

// A string of at most kMaxCityDatabaseName units. The reader checks the length against what remains, so
// nothing larger than the file is ever allocated.
std::optional<std::wstring> GetName(shell::BinaryReader& reader) {
    auto text = reader.GetString();
    if (!text || text->size() > size_t(kMaxCityDatabaseName))
        return std::nullopt;
    return text;
}

bool Parse(shell::BinaryReader& reader, CityDatabaseFile& file) {
    auto magic = reader.GetUint32();
    auto zoneCount = GetInt32(reader);
    if (!magic || *magic != kCityDatabaseMagic || !zoneCount || *zoneCount < 0 || *zoneCount > kMaxZoneNames)
        return false;
    for (int i = 0; i < *zoneCount; ++i) {
        auto name = GetName(reader);
        if (!name)
            return false;
        file.zoneNames.push_back(std::move(*name));
    }
    auto groupCount = GetInt32(reader);
    if (!groupCount || *groupCount < 0 || *groupCount > kMaxCityGroups)
        return false;
    for (int g = 0; g < *groupCount; ++g) {
        auto language = GetInt32(reader);
        auto cityCount = GetInt32(reader);
        if (!language || *language < 0 || *language > kMaxGroupLanguage || !cityCount || *cityCount < 0 ||
            *cityCount > kMaxCitiesPerGroup)
            return false;
        CityDatabaseFile::Group& group = file.groups.emplace_back();
        group.languageIndex = *language;
        // A city takes at least 8 bytes, so room for more than the rest of the file could hold is never made.
        group.cities.reserve(std::min(size_t(*cityCount), reader.remaining() / 8));
        for (int c = 0; c < *cityCount; ++c) {
            auto index = GetInt32(reader);
            if (!index || *index < 0 || *index >= int(file.zoneNames.size()))
                return false;
            auto name = GetName(reader);
            if (!name)
                return false;
            group.cities.push_back({*index, std::move(*name)});
        }
    }
    return true;
}

} // namespace

CityDatabaseFile ParseCityDatabase(std::string_view bytes) {
    CityDatabaseFile file;
    shell::BinaryReader reader(bytes);
    file.complete = Parse(reader, file);
    return file;
}

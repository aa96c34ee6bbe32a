#include "modules/clock/city_database.h"

#include "shell/binary_io.h"
#include "shell/folders.h"
#include "win32/handle.h"

namespace {

CCityDatabase* g_current = nullptr;

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

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr)))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

} // namespace

CCityDatabase::CCityDatabase() {
    g_current = this;
}

CCityDatabase::~CCityDatabase() {
    if (g_current == this)
        g_current = nullptr;
}

CCityDatabase* CCityDatabase::Current() {
    return g_current;
}

bool CCityDatabase::LoadCityDatabase() {
    return LoadCityDatabase(shell::GetProgramFilePath(kCityDatabaseFileName));
}

bool CCityDatabase::LoadCityDatabase(const std::wstring& path) {
    LoadTimeZones();
    zoneNames_.clear();
    groups_.clear();
    auto bytes = ReadWholeFile(path);
    return bytes && ReadCityData(*bytes);
}

bool CCityDatabase::ReadCityData(std::string_view bytes) {
    shell::BinaryReader reader(bytes);
    auto magic = reader.GetUint32();
    auto zoneCount = GetInt32(reader);
    if (!magic || *magic != kCityDatabaseMagic || !zoneCount || *zoneCount < 0 || *zoneCount > kMaxZoneNames)
        return false;
    for (int i = 0; i < *zoneCount; ++i) {
        auto name = GetName(reader);
        if (!name)
            return false;
        zoneNames_.push_back(std::move(*name));
    }
    // Each name is looked up once, not once per city.
    std::vector<const CTimeZone*> zoneOfName(zoneNames_.size(), nullptr);
    std::vector<bool> looked(zoneNames_.size(), false);

    auto groupCount = GetInt32(reader);
    if (!groupCount || *groupCount < 0 || *groupCount > kMaxCityGroups)
        return false;
    for (int g = 0; g < *groupCount; ++g) {
        auto language = GetInt32(reader);
        auto cityCount = GetInt32(reader);
        if (!language || *language < 0 || *language > kMaxGroupLanguage || !cityCount || *cityCount < 0 ||
            *cityCount > kMaxCitiesPerGroup)
            return false;
        // The group joins at once, so a failure part-way keeps the cities read before it. Its list grows with
        // what the file really holds, never with the count it claims.
        CCityGroup& group = groups_.emplace_back();
        group.languageIndex = *language;
        for (int c = 0; c < *cityCount; ++c) {
            auto index = GetInt32(reader);
            if (!index || *index < 0 || *index >= int(zoneNames_.size()))
                return false;
            const size_t i = size_t(*index);
            if (!looked[i]) {
                zoneOfName[i] = FindTimeZone(zoneNames_[i]);
                looked[i] = true;
            }
            if (!zoneOfName[i])
                return false;
            auto name = GetName(reader);
            if (!name)
                return false;
            group.cities.push_back({zoneOfName[i], std::move(*name)});
        }
    }
    return true;
}

const CCityGroup* CCityDatabase::FindCityGroup(int languageIndex) const {
    for (const CCityGroup& group : groups_)
        if (group.languageIndex == languageIndex)
            return &group;
    for (const CCityGroup& group : groups_)
        if (group.languageIndex == kFallbackCityLanguage)
            return &group;
    return nullptr;
}

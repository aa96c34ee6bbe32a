#include "modules/clock/city_database.h"

#include "shell/folders.h"
#include "win32/handle.h"

#include <optional>

namespace {

CCityDatabase* g_current = nullptr;

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
    CityDatabaseFile file = ParseCityDatabase(bytes);
    zoneNames_ = std::move(file.zoneNames);
    groups_.clear();
    // Each name is looked up once, not once per city.
    std::vector<const CTimeZone*> zoneOfName(zoneNames_.size(), nullptr);
    std::vector<bool> looked(zoneNames_.size(), false);
    for (CityDatabaseFile::Group& read : file.groups) {
        CCityGroup& group = groups_.emplace_back();
        group.languageIndex = read.languageIndex;
        group.cities.reserve(read.cities.size());
        for (CityDatabaseFile::City& city : read.cities) {
            const size_t i = size_t(city.zoneIndex);
            if (!looked[i]) {
                zoneOfName[i] = FindTimeZone(zoneNames_[i]);
                looked[i] = true;
            }
            // A zone this machine lacks (older systems miss recent ones) leaves only its cities out.
            if (zoneOfName[i])
                group.cities.push_back({zoneOfName[i], std::move(city.name)});
        }
    }
    return file.complete;
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

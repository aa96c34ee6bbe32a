// Targets for the readers that are pure byte handling.
#include "fuzz_target.h"

#include "pages/news/additional_feeds.h"
#include "pages/world_clock/city_database_file.h"
#include "shell/binary_io.h"
#if __has_include("pages/display/background_list.h")
#include "pages/display/background_list.h"
#define SKYLUME_HAS_BACKGROUND_LIST 1
#endif
#include "pages/version/version_text.h"
#include "shell/changed_modules_file.h"

namespace fuzz {
namespace {

// Reads strings and integers in the order the input's own bytes pick; a refused read consumes nothing and no
// string is longer than the bytes that carried it.
void BinaryReaderTarget(std::string_view input) {
    shell::BinaryReader reader(input);
    bool asString = true;
    while (reader.remaining() > 0) {
        const size_t before = reader.remaining();
        if (asString) {
            auto text = reader.GetString();
            if (!text) {
                FUZZ_CHECK(reader.remaining() == before);
                if (!reader.GetUint32())
                    break;
                continue;
            }
            FUZZ_CHECK(before - reader.remaining() == 4 + text->size() * 2);
            asString = text->size() % 2 == 0;
        } else {
            auto value = reader.GetUint32();
            if (!value) {
                FUZZ_CHECK(reader.remaining() == before && before < 4);
                break;
            }
            asString = (*value & 1) != 0;
        }
    }
}

// A file that parses is written back byte for byte; names taken from the input survive a write and a read.
void ChangedModulesTarget(std::string_view input) {
    if (auto parsed = shell::ParseChangedModulesFile(input)) {
        FUZZ_CHECK(parsed->modules.size() <= input.size() / 4);
        FUZZ_CHECK(shell::BuildChangedModulesFile(parsed->modules, parsed->timerChanged) == input);
    }
    std::vector<std::wstring> names;
    std::wstring name;
    for (size_t i = 0; i + 1 < input.size(); i += 2) {
        const wchar_t unit = wchar_t(uint8_t(input[i]) | uint8_t(input[i + 1]) << 8);
        if (unit == L'|') {
            names.push_back(std::move(name));
            name.clear();
        } else {
            name.push_back(unit);
        }
    }
    names.push_back(name);
    const int timer = input.empty() ? 0 : input[0] & 1;
    auto back = shell::ParseChangedModulesFile(shell::BuildChangedModulesFile(names, timer));
    FUZZ_CHECK(back && back->timerChanged == timer && back->modules == names);
}

void VersionFileTarget(std::string_view input) {
    const VersionFileLine line = FirstLineOfVersionFile(input);
    FUZZ_CHECK(line.bytes.size() <= kVersionFileReadLimit);
    FUZZ_CHECK(line.bytes.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(input.substr(0, kVersionFileReadLimit).find(line.bytes) != std::string_view::npos);
}

// Never more pairs than the bytes can carry (a pair takes at least 8), and pairs read whole are written back the
// same.
void AdditionalFeedsTarget(std::string_view input) {
    news::FeedPairs pairs;
    const bool whole = news::DecodeAdditionalFeeds(input, pairs);
    FUZZ_CHECK(pairs.urls.size() == pairs.titles.size() && pairs.urls.size() * 8 <= input.size());
    if (whole) {
        const std::string written = news::EncodeAdditionalFeeds(pairs);
        FUZZ_CHECK(input.substr(0, written.size()) == written);
    }
}

// Within the limits, every city's zone among the names read, never more cities than the bytes can carry.
void CityDatabaseTarget(std::string_view input) {
    const CityDatabaseFile file = ParseCityDatabase(input);
    FUZZ_CHECK(file.zoneNames.size() <= size_t(kMaxZoneNames) && file.groups.size() <= size_t(kMaxCityGroups));
    for (const std::wstring& name : file.zoneNames)
        FUZZ_CHECK(name.size() <= size_t(kMaxCityDatabaseName));
    size_t cities = 0;
    for (const CityDatabaseFile::Group& group : file.groups) {
        FUZZ_CHECK(group.languageIndex >= 0 && group.languageIndex <= kMaxGroupLanguage);
        FUZZ_CHECK(group.cities.size() <= size_t(kMaxCitiesPerGroup));
        for (const CityDatabaseFile::City& city : group.cities)
            FUZZ_CHECK(size_t(city.zoneIndex) < file.zoneNames.size() &&
                       city.name.size() <= size_t(kMaxCityDatabaseName));
        cities += group.cities.size();
    }
    FUZZ_CHECK(cities * 8 <= input.size());
}

#ifdef SKYLUME_HAS_BACKGROUND_LIST
// Within the limits, never more paths than the bytes can carry, and a list read whole is written back the same.
void BackgroundListTarget(std::string_view input) {
    const std::vector<std::wstring> paths = display::ParseBackgroundList(input);
    FUZZ_CHECK(paths.size() <= size_t(display::kMaxBackgroundCount) && paths.size() <= input.size() / 4);
    for (const std::wstring& path : paths)
        FUZZ_CHECK(path.size() <= display::kMaxBackgroundPathLength);
    shell::BinaryReader header(input);
    const auto magic = header.GetUint32();
    const auto count = header.GetUint32();
    if (magic == display::kBackgroundListMagic && count == paths.size()) {
        const std::string written = display::SerializeBackgroundList(paths);
        FUZZ_CHECK(input.substr(0, written.size()) == written);
    }
}
#endif

const Target kTargets[] = {
    {"binary_reader", BinaryReaderTarget}, {"cmf", ChangedModulesTarget},  {"version_txt", VersionFileTarget},
    {"arf", AdditionalFeedsTarget},        {"citydb", CityDatabaseTarget},
#ifdef SKYLUME_HAS_BACKGROUND_LIST
    {"bkimglist", BackgroundListTarget},
#endif
};

} // namespace

std::span<const Target> PortableTargets() {
    return kTargets;
}

} // namespace fuzz

#include "music_fixture.h"

#include "stand_in_config.h"

namespace standin {

MusicFixture LoadMusicFixture() {
    MusicFixture fixture;
    auto path = ReadText(L"Music", L"Fixture");
    if (!path)
        return fixture;
    for (const std::wstring& line : ReadLines(*path)) {
        Fields fields = SplitTabs(line);
        const std::wstring kind = fields.front();
        fields.erase(fields.begin());
        if (kind == L"folder" && !fields.empty())
            fixture.folders.push_back(fields[0]);
        else if (kind == L"db-song" && fields.size() >= 5)
            fixture.databaseSongs.push_back(std::move(fields));
        else if (kind == L"db-album" && fields.size() >= 8)
            fixture.databaseAlbums.push_back(std::move(fields));
        else if (kind == L"song" && fields.size() >= 7)
            fixture.playerSongs.push_back(std::move(fields));
    }
    return fixture;
}

} // namespace standin

#include "music_fixture.h"

#include "stand_in_config.h"

#include <algorithm>
#include <mutex>

namespace standin {

namespace {

// Both media services hold one library, as the real ones keep theirs in memory: a process that asks both for it
// gets the one parse while the file's bytes are unchanged.
std::mutex g_cacheLock;
std::string g_cachedBytes;
std::shared_ptr<const MusicFixture> g_cachedFixture;

} // namespace

std::shared_ptr<const MusicFixture> LoadMusicFixture() {
    auto path = ReadText(L"Music", L"Fixture");
    if (!path)
        return std::make_shared<MusicFixture>();
    std::string bytes = ReadFileBytes(*path);
    std::lock_guard lock(g_cacheLock);
    if (g_cachedFixture && bytes == g_cachedBytes)
        return g_cachedFixture;
    auto fixture = std::make_shared<MusicFixture>();
    // Fields are cut straight from the file's text: a large library has hundreds of thousands of them.
    fixture->text = FromUtf8(bytes);
    const std::wstring& text = fixture->text;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const size_t lineEnd = end > start && text[end - 1] == L'\r' ? end - 1 : end;
        const size_t kindEnd = std::min(text.find(L'\t', start), lineEnd);
        const std::wstring_view kind(text.data() + start, kindEnd - start);
        Fields fields;
        fields.reserve(8);
        for (size_t at = kindEnd; at < lineEnd;) {
            const size_t next = std::min(text.find(L'\t', at + 1), lineEnd);
            fields.emplace_back(text.data() + at + 1, next - at - 1);
            at = next;
        }
        start = end + 1;
        if (kind == L"folder" && !fields.empty())
            fixture->folders.emplace_back(fields[0]);
        else if (kind == L"db-song" && fields.size() >= 5)
            fixture->databaseSongs.push_back(std::move(fields));
        else if (kind == L"db-album" && fields.size() >= 8)
            fixture->databaseAlbums.push_back(std::move(fields));
        else if (kind == L"song" && fields.size() >= 7)
            fixture->playerSongs.push_back(std::move(fields));
    }
    g_cachedBytes = std::move(bytes);
    g_cachedFixture = fixture;
    return fixture;
}

} // namespace standin

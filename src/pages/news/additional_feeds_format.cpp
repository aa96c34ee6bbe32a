// The bytes of "arf.dat", apart from the file handling, so the reader also builds without the platform.
#include "pages/news/additional_feeds.h"

#include "shell/binary_io.h"

namespace news {

std::string EncodeAdditionalFeeds(const FeedPairs& pairs) {
    shell::BinaryWriter writer;
    writer.PutUint32(uint32_t(pairs.urls.size()));
    for (size_t i = 0; i < pairs.urls.size(); ++i) {
        writer.PutString(pairs.urls[i]);
        writer.PutString(i < pairs.titles.size() ? pairs.titles[i] : std::wstring());
    }
    return writer.bytes();
}

bool DecodeAdditionalFeeds(std::string_view bytes, FeedPairs& pairs) {
    shell::BinaryReader reader(bytes);
    std::optional<uint32_t> count = reader.GetUint32();
    if (!count)
        return false;
    for (uint32_t i = 0; i < *count; ++i) {
        std::optional<std::wstring> url = reader.GetString();
        if (!url)
            return false;
        std::optional<std::wstring> title = reader.GetString();
        if (!title)
            return false;
        pairs.urls.push_back(std::move(*url));
        pairs.titles.push_back(std::move(*title));
    }
    return true;
}

} // namespace news

// The additional-feeds file "arf.dat": sites that an ADDRSS run appended to channels.opml, kept for a settings
// window that was already open so it can merge them into its unsaved list. Guarded between processes by the
// mutex "Local\AdditionalRSSFeeds050805MO".
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace news {

inline constexpr wchar_t kAdditionalFeedsFileName[] = L"arf.dat";

struct FeedPairs {
    std::vector<std::wstring> urls;
    std::vector<std::wstring> titles;
};

// The file's bytes: a count, then each URL followed by its title, all little-endian.
std::string EncodeAdditionalFeeds(const FeedPairs& pairs);
// Reads pairs in order; false at the first short count or string. Pairs read before that stay in `pairs`.
bool DecodeAdditionalFeeds(std::string_view bytes, FeedPairs& pairs);

// The file's path in the per-user RSS folder; empty when there is no such folder.
std::wstring AdditionalFeedsPath();

// Appends one pair. A file that cannot be read is replaced by one holding only this pair; write errors are
// swallowed.
void AddAdditionalFeed(const std::wstring& url, const std::wstring& title);
// Reads the file into `pairs` and deletes it; false (the file kept) when it cannot be read whole.
bool TakeAdditionalFeeds(std::vector<std::wstring>& urls, std::vector<std::wstring>& titles);
// Deletes the file without taking the mutex.
void DeleteAdditionalFeeds();

} // namespace news

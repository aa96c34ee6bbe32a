#include "pages/news/additional_feeds.h"

#include "pages/news/named_mutex.h"
#include "shell/folders.h"
#include "win32/atomic_file.h"
#include "win32/handle.h"

#include <optional>

namespace news {
namespace {

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool ReadPairs(const std::wstring& path, FeedPairs& pairs) {
    std::optional<std::string> bytes = ReadWholeFile(path);
    return bytes && DecodeAdditionalFeeds(*bytes, pairs);
}

} // namespace

std::wstring AdditionalFeedsPath() {
    std::wstring folder = shell::GetModulesFolder(true, L"RSS");
    return folder.empty() ? std::wstring() : folder + L"\\" + kAdditionalFeedsFileName;
}

void AddAdditionalFeed(const std::wstring& url, const std::wstring& title) {
    ScopedNamedMutex lock(kAdditionalFeedsMutex);
    const std::wstring path = AdditionalFeedsPath();
    if (path.empty())
        return;
    FeedPairs pairs;
    if (!ReadPairs(path, pairs))
        pairs = {};
    pairs.urls.push_back(url);
    pairs.titles.push_back(title);
    win32::WriteFileAtomically(path, EncodeAdditionalFeeds(pairs));
}

bool TakeAdditionalFeeds(std::vector<std::wstring>& urls, std::vector<std::wstring>& titles) {
    ScopedNamedMutex lock(kAdditionalFeedsMutex);
    const std::wstring path = AdditionalFeedsPath();
    FeedPairs pairs;
    const bool read = !path.empty() && ReadPairs(path, pairs);
    urls.insert(urls.end(), pairs.urls.begin(), pairs.urls.end());
    titles.insert(titles.end(), pairs.titles.begin(), pairs.titles.end());
    if (read) {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
    return read;
}

void DeleteAdditionalFeeds() {
    const std::wstring path = AdditionalFeedsPath();
    if (path.empty())
        return;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

} // namespace news

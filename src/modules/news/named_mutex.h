// The named mutexes of the news files, shared with the display program and other runs of this program.
#pragma once
#include "win32/named_mutex.h"

namespace news {

using win32::ScopedNamedMutex;

inline constexpr wchar_t kChannelListMutex[] = L"Local\\TesselOPMLFile050805MO";
inline constexpr wchar_t kAdditionalFeedsMutex[] = L"Local\\AdditionalRSSFeeds050805MO";
inline constexpr wchar_t kAddSiteMutex[] = L"Local\\TesselSettingApp_AddRSS_MO";

} // namespace news

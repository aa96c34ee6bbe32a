// The characters a feed URL may hold, checked before anything touches the network or the channel list.
#pragma once
#include <string_view>

namespace news {

// True when every character is an ASCII letter or digit or one of ;/?:@&=+$,-_.!~*'()%. The empty text passes.
bool IsValidUrlText(std::wstring_view url);

} // namespace news

#include "pages/news/url_text.h"

namespace news {

bool IsValidUrlText(std::wstring_view url) {
    constexpr std::wstring_view kMarks = L";/?:@&=+$,-_.!~*'()%";
    for (wchar_t c : url) {
        const bool letterOrDigit = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
        if (!letterOrDigit && kMarks.find(c) == std::wstring_view::npos)
            return false;
    }
    return true;
}

} // namespace news

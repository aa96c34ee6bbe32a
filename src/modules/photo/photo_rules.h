// Rules of the photo module's data and page that need no window and no platform call: display names, number and
// format-list parsing, cache file names, the file-type texts and the interval edit's corrections.
#pragma once
#include <string>
#include <string_view>

namespace photo {

inline constexpr int kLayoutCount = 5;
// Element names of the five layouts, in the order every array of five view settings follows.
inline constexpr const wchar_t* kLayoutNames[kLayoutCount] = {L"SingleLayout", L"TileLayout", L"BoardLayout",
                                                              L"CinemaLayout", L"CompositeLayout"};
inline constexpr int kMinInterval = 10;
inline constexpr int kMaxInterval = 60;

// The list text of a photo: the file name without its extension (a dot only counts after the first character
// behind the last backslash); a text with no backslash is shown whole.
std::wstring FileDisplayName(std::wstring_view path);

// Decimal text read as C's atoi reads it: leading blanks, an optional sign, the digits up to the first other
// character; a text with no digits gives 0.
int ParseDecimal(std::wstring_view text);

struct FormatFlags {
    int gif = 0;
    int png = 0;
};
// Sets (never clears) the flags named by a comma-separated list, compared ignoring case.
void ParseFileFormat(std::wstring_view list, FormatFlags& flags);
// "gif,png", "gif", "png", or empty when the attribute is left out.
std::wstring FileFormatText(const FormatFlags& flags);

// The cache file a garbage entry names: the text after the last backslash, else after the last slash.
std::wstring GarbageFileName(std::wstring_view entry);

// Whether a chosen file may be added as a photo: its name ends in ".jpeg" or ".jpg", ignoring case.
bool HasPhotoExtension(std::wstring_view path);

// The type texts of the add dialogs, from the resource strings for JPEG, GIF and PNG joined by the language's
// separator. `formats` are the flags that count (already cleared when the Flash player is older than 8).
std::wstring FileTypeDescription(const FormatFlags& formats, const std::wstring& jpeg, const std::wstring& gif,
                                 const std::wstring& png, const std::wstring& separator);
std::wstring FileTypeFilter(const FormatFlags& formats, const std::wstring& description);

struct IntervalEdit {
    std::wstring text;
    int caret = 0;
    bool changed = false; // whether the text had to be put back
};
// One pass of the interval edit's correction; `selectionStart` is where the selection began.
IntervalEdit CorrectIntervalText(const std::wstring& text, int selectionStart);

} // namespace photo

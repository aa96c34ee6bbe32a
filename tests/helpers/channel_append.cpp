// Appends channels to a channel list from a process of its own, for the tests of appends from several
// processes at once:  channel_append.exe <Cache folder> <first URL> [<more URLs> ...]
// Exit code: the number of URLs that were not written.
#include "pages/news/channel_list.h"
#include "win32/com.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 100;
    win32::ComInit com;
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        CRSSChannel channel;
        channel.xmlUrl = argv[i];
        channel.text = channel.title = std::wstring(L"Channel ") + argv[i];
        try {
            if (news::AppendChannel(argv[1], channel) != 1)
                ++failures;
        } catch (const xmldata::XmlError&) {
            ++failures;
        }
    }
    return failures;
}

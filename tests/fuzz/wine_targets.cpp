#include "wine_targets.h"

#include "feed_server.h"
#include "pages/additional_modules/additional_module_page.h"
#include "pages/news/channel_list.h"
#include "pages/news/feed_check.h"
#include "pages/photo/photo_data.h"
#include "pages/world_clock/city_database.h"
#include "pages/world_clock/clock_entry.h"
#include "shell/folders.h"
#include "test_env.h"
#include "win32/app.h"
#include "win32/handle.h"
#include "xmldata/xml_document.h"

#include <memory>

using namespace testenv;

namespace fuzz {
namespace {

// What the targets share for the whole run: the isolated per-user tree, a scratch folder, the feed server and the
// registry's time zones.
struct Context {
    IsolatedFolders folders;
    TempFolder work{L"fuzz"};
    TempFolder feeds{L"fuzz-feeds"};
    std::unique_ptr<FeedServer> server;
    win32::ComPtr<IXMLDOMDocument2> feedStylesheet;
    TimeZoneList zones;
    win32::Module resources;
    std::unique_ptr<win32::WinApp> app;
    HWND host = nullptr;
};
Context* g_context = nullptr;

constexpr wchar_t kZoneKey[] = L"Software\\Quillon\\SkylumeFuzz\\Time Zones";

// The input as the file the reader opens; afterwards the file must hold the same bytes. The file is rewritten in
// place rather than created anew: under Wine, truncating it on open took about 2 ms, more than most readers.
class InputFile {
public:
    InputFile(std::wstring path, std::string_view input) : path_(std::move(path)), input_(input) {
        win32::FileHandle file(
            ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        FUZZ_CHECK(file && ::WriteFile(file.get(), input_.data(), DWORD(input_.size()), &written, nullptr) &&
                   written == input_.size() && ::SetEndOfFile(file.get()));
    }
    ~InputFile() { FUZZ_CHECK(ReadFile(path_).value_or("<gone>") == input_); }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    std::string input_;
};

// Every node and attribute of the document through the XML layer's own walkers.
void XmlDocumentTarget(std::string_view input) {
    InputFile file(g_context->work / L"data.xml", input);
    try {
        xmldata::XmlDocument doc;
        if (!doc.Load(file.path()))
            return;
        for (const xmldata::Node& node : doc.SelectNodes(L"//*", doc.DocumentNode())) {
            xmldata::BaseName(node);
            xmldata::Attributes(node);
            for (const xmldata::Node& child : xmldata::ChildNodes(node))
                xmldata::BaseName(child);
        }
        doc.SelectText(L"./conf_data/modules/sub", doc.DocumentNode());
        doc.Xml();
    } catch (const xmldata::XmlError&) {
        // A failing DOM call abandons the operation; that is its defined outcome.
    }
}

void PhotoDataTarget(std::string_view input) {
    InputFile file(g_context->work / L"data.xml", input);
    CPhotoData data;
    if (data.Load(file.path(), false))
        for (const auto& view : data.views())
            FUZZ_CHECK(view.interval >= 10 && view.interval <= 60);
}

void ChannelListTarget(std::string_view input) {
    InputFile file(g_context->work / news::kChannelListFileName, input);
    news::ChannelListHeader header;
    std::vector<std::unique_ptr<CRSSChannel>> channels;
    try {
        news::LoadChannelList(header, g_context->work.path(), channels);
        FUZZ_CHECK(channels.size() <= size_t(news::kMaxChannels));
        int count = -1;
        news::FindChannel(g_context->work.path(), L"http://127.0.0.1/feed.xml", count);
    } catch (const xmldata::XmlError&) {
    }
}

// An imported OPML list: every outline read as the news page reads one it takes in.
void ImportedOpmlTarget(std::string_view input) {
    InputFile file(g_context->work / L"import.opml", input);
    try {
        xmldata::XmlDocument doc;
        if (!doc.Load(file.path()))
            return;
        for (const xmldata::Node& outline : doc.SelectNodes(L"//outline", doc.DocumentNode())) {
            CRSSChannel channel;
            news::ReadChannelOutline(channel, outline, true);
        }
    } catch (const xmldata::XmlError&) {
    }
}

// The downloaded body of the feed check, served over HTTP to the real check and its stylesheet.
void FeedCheckTarget(std::string_view input) {
    InputFile file(g_context->feeds / L"fuzz.xml", input);
    news::CancelFlag cancel{0};
    std::wstring title;
    const int result = news::CheckFeed(cancel, g_context->server->Url(L"/feeds/fuzz.xml"), title);
    FUZZ_CHECK(result == news::kFeedOk || result == news::kFeedNotAFeed || result == news::kFeedFailed);
}

// The check's transform alone, at a rate the HTTP round trip does not allow, on the shipped stylesheet.
void FeedTransformTarget(std::string_view input) {
    InputFile file(g_context->work / L"feed.xml", input);
    std::wstring title;
    try {
        const int result = news::detail::TransformForTitle(g_context->feedStylesheet.get(), file.path(), title);
        FUZZ_CHECK(result == news::kFeedOk || result == news::kFeedNotAFeed);
    } catch (const xmldata::XmlError&) {
        // The check answers a failing DOM call with its failure code.
    }
}

void ClockDataTarget(std::string_view input) {
    InputFile file(g_context->work / L"data.xml", input);
    CCityDatabase database;
    database.zones().swap(g_context->zones);
    try {
        xmldata::XmlDocument doc;
        if (doc.Load(file.path()))
            for (const xmldata::Node& clock : doc.SelectNodes(L"./main/clock")) {
                CClockEntry entry;
                if (ReadClockEntry(entry, clock, database))
                    FUZZ_CHECK(entry.name.size() <= 4096);
            }
    } catch (const xmldata::XmlError&) {
    }
    database.zones().swap(g_context->zones);
}

// A module's settings description: the page built from it as the settings window builds one.
void PreferenceTarget(std::string_view input) {
    const std::wstring folder = g_context->work / L"Module";
    InputFile file(folder + L"\\preference.xml", input);
    CCWAdditionalModule page(nullptr, nullptr, nullptr);
    page.UseDataFile(folder + L"\\data.xml");
    const RECT rect = {0, 0, 400, 300};
    if (page.CreateFromFolder(L"Module", folder, L"usa", rect, g_context->host))
        page.RealizeAllItems();
}

// The input cut into up to three zones of four values each; a value's first byte picks its type (string,
// binary or a number where text is expected) or leaves it out.
void TimeZonesTarget(std::string_view input) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kZoneKey);
    size_t at = 0;
    auto take = [&](size_t length) {
        std::string_view piece = input.substr(std::min(at, input.size()), length);
        at += length;
        return piece;
    };
    const int zones = input.empty() ? 0 : 1 + uint8_t(input[0]) % 3;
    at = 1;
    for (int z = 0; z < zones; ++z) {
        win32::RegKey key;
        const std::wstring name = std::wstring(kZoneKey) + L"\\Zone" + std::to_wstring(z);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
        for (const wchar_t* value : {L"Std", L"Dlt", L"Display", L"TZI"}) {
            const std::string_view head = take(2);
            if (head.size() < 2 || uint8_t(head[0]) % 5 == 0)
                continue;
            const std::string_view data = take(uint8_t(head[1]) % 64);
            const DWORD type = uint8_t(head[0]) % 5 == 1   ? REG_DWORD
                               : uint8_t(head[0]) % 5 == 2 ? REG_BINARY
                                                           : (std::wstring(value) == L"TZI" ? REG_BINARY : REG_SZ);
            ::RegSetValueExW(key.get(), value, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
        }
    }
    TimeZoneList list;
    LoadTimeZones(list, HKEY_CURRENT_USER, kZoneKey);
    FUZZ_CHECK(list.size() <= size_t(zones));
    for (const auto& zone : list)
        FUZZ_CHECK(zone->info().StandardName[31] == L'\0' && zone->info().DaylightName[31] == L'\0');
}

const WineTarget kTargets[] = {
    {"xml_document", XmlDocumentTarget, true, "data/common;tests/fixtures"},
    {"photo_data", PhotoDataTarget, true, "data/common/Modules/Photo;fuzz/corpus/photo_data"},
    {"channels_opml", ChannelListTarget, true, "fuzz/corpus/channels_opml;tests/fixtures/feeds"},
    {"imported_opml", ImportedOpmlTarget, true, "fuzz/corpus/channels_opml;tests/fixtures/feeds"},
    {"feed_check", FeedCheckTarget, true, "tests/fixtures/feeds"},
    {"feed_transform", FeedTransformTarget, true, "tests/fixtures/feeds"},
    {"clock_data", ClockDataTarget, true, "data/common/Modules/Clock"},
    {"preference_xml", PreferenceTarget, true, "data/sample-module/Weather"},
    {"time_zones", TimeZonesTarget, false, "fuzz/corpus/time_zones"},
};

} // namespace

std::span<const WineTarget> WineTargets() {
    return kTargets;
}

void PrepareWineTargets() {
    static Context context;
    g_context = &context;
    MakeFolders(context.work / L"Module");
    context.server = std::make_unique<FeedServer>(context.feeds.path());
    context.feedStylesheet = news::detail::LoadFeedStylesheet();
    LoadTimeZones(context.zones);
    // Pages take their templates from a language library, as in the settings program.
    context.resources.reset(::LoadLibraryExW(L"SkylumeSetting_usa.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    context.app = std::make_unique<win32::WinApp>();
    context.app->setResourceHandle(context.resources.get());
    context.host = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, L"#32770", L"", WS_POPUP, 0, 0, 400, 300,
                                     nullptr, nullptr, nullptr, nullptr);
}

} // namespace fuzz

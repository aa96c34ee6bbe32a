#include "modules/clock/clock_entry.h"

#include "modules/clock/city_database.h"
#include "modules/clock/text_fit.h"
#include "win32/handle.h"

namespace {

// The display program's clock label: "MS UI Gothic" 16 pixels, bold, in 180 x 24 pixels.
constexpr int kLabelWidth = 180, kLabelHeight = 24;

HFONT LabelFont() {
    static const win32::Font font(::CreateFontW(16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH,
                                                L"MS UI Gothic"));
    return font.get();
}

} // namespace

void SetClockName(CClockEntry& entry, const std::wstring& text) {
    if (text.empty())
        return;
    entry.name = text;
    entry.display = FitTextWithEllipsis(text, LabelFont(), kLabelWidth, kLabelHeight);
}

bool ReadClockEntry(CClockEntry& entry, xmldata::NodeRef clock, const CCityDatabase& database) {
    auto display = xmldata::SelectText(clock, L"./display");
    if (!display)
        return false;
    entry.display = *display;
    entry.name = xmldata::SelectText(clock, L"./name").value_or(*display);
    auto locale = xmldata::SelectText(clock, L"./locale");
    if (!locale) {
        SetClockZone(entry, nullptr);
        return true;
    }
    if (locale->empty())
        return false;
    entry.zoneKey = *locale;
    entry.timeZone = database.FindTimeZone(*locale);
    auto daylight = xmldata::SelectText(clock, L"./daylightsaving");
    if (!daylight)
        return false;
    entry.daylightSaving = *daylight == L"true" ? 1 : 0;
    if (auto region = xmldata::SelectText(clock, L"./region"))
        entry.region = *region;
    return true;
}

void SetClockZone(CClockEntry& entry, const CTimeZone* zone) {
    entry.timeZone = zone;
    entry.zoneKey = zone ? zone->keyName : std::wstring();
}

void WriteClockEntry(const CClockEntry& entry, xmldata::XmlWriter& writer, xmldata::NodeRef parent) {
    xmldata::Element clock = writer.AppendElement(parent, L"clock");
    if (!entry.IsLocal())
        writer.AppendElement(clock, L"locale", entry.zoneKey);
    writer.AppendElement(clock, L"display", entry.display);
    writer.AppendElement(clock, L"name", entry.name);
    if (entry.IsLocal())
        return;
    writer.AppendElement(clock, L"daylightsaving", entry.daylightSaving ? L"true" : L"false");
    if (!entry.region.empty())
        writer.AppendElement(clock, L"region", entry.region);
}

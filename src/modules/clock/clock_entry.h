// One clock of the world clock: the local clock (no time zone) or a city's clock, and its XML form.
#pragma once
#include "modules/clock/time_zone.h"
#include "xmldata/xml_document.h"

#include <string>

class CCityDatabase;

inline constexpr int kMaxClockName = 32;

struct CClockEntry {
    std::wstring region;
    const CTimeZone* timeZone = nullptr;
    int daylightSaving = 0;
    std::wstring name;
    // `name` as the display program shows it, shortened to its clock's label.
    std::wstring display;

    // `display` follows from `name` and takes no part.
    bool SameAs(const CClockEntry& other) const {
        return name == other.name && region == other.region && timeZone == other.timeZone &&
               daylightSaving == other.daylightSaving;
    }
};

// Sets `name` and recomputes `display` for the display program's 180 x 24 label; an empty text changes nothing.
void SetClockName(CClockEntry& entry, const std::wstring& text);
// Fills the entry from a `clock` element; false when the element is unusable.
bool ReadClockEntry(CClockEntry& entry, xmldata::NodeRef clock, const CCityDatabase& database);
// Creates the entry's `clock` element and appends it to `parent`.
void WriteClockEntry(const CClockEntry& entry, xmldata::XmlWriter& writer, xmldata::NodeRef parent);

// One clock of the world clock: the local clock (no time zone) or a city's clock, and its XML form.
#pragma once
#include "modules/clock/time_zone.h"
#include "xmldata/xml_document.h"

#include <string>

class CCityDatabase;

inline constexpr int kMaxClockName = 32;

struct CClockEntry {
    std::wstring region;
    // The zone's key name as stored; empty for the local clock. A city clock keeps it even when this machine's
    // table lacks the zone (`timeZone` is then null), so such a clock is shown and saved as it was.
    std::wstring zoneKey;
    const CTimeZone* timeZone = nullptr;
    int daylightSaving = 0;
    std::wstring name;
    // `name` as the display program shows it, shortened to its clock's label.
    std::wstring display;

    bool IsLocal() const { return zoneKey.empty(); }
    // `display` follows from `name` and takes no part.
    bool SameAs(const CClockEntry& other) const {
        return name == other.name && region == other.region && zoneKey == other.zoneKey &&
               daylightSaving == other.daylightSaving;
    }
};

// Makes the entry a clock of `zone` (the local clock when null).
void SetClockZone(CClockEntry& entry, const CTimeZone* zone);

// Sets `name` and recomputes `display` for the display program's 180 x 24 label; an empty text changes nothing.
void SetClockName(CClockEntry& entry, const std::wstring& text);
// Fills the entry from a `clock` element; false when the element is unusable. A `locale` naming a zone that the
// database's table lacks is kept as it is.
bool ReadClockEntry(CClockEntry& entry, xmldata::NodeRef clock, const CCityDatabase& database);
// Creates the entry's `clock` element and appends it to `parent`.
void WriteClockEntry(const CClockEntry& entry, xmldata::XmlWriter& writer, xmldata::NodeRef parent);

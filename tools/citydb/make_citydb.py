#!/usr/bin/env python3
"""Builds citydb.dat, the city database shipped beside the settings program, from Unicode CLDR.

Cities are CLDR's exemplar cities of the time zones that CLDR's windowsZones.xml maps to a Windows time-zone key;
each city's zone is that key. One group per language the database serves (language indexes of the program:
0 Japanese, 1 French, 2 British English, 3 Italian, 4 German, 5 US English).

    make_citydb.py [--cldr DIR] [--zones SYSTEM.REG] OUTPUT

--cldr is the CLDR "common" folder (Debian package unicode-cldr-core); --zones a Wine prefix's system.reg whose
"Time Zones" table the file must fit: Windows keys missing there are left out, with their cities.
"""
import argparse
import re
import struct
import sys
import unicodedata
import xml.etree.ElementTree as ET

MAGIC = 0xFEABABEF
MAX_NAME = 64

# Language index -> CLDR locale chain (most specific first; root is always last).
LANGUAGES = [
    (0, ["ja"]),
    (1, ["fr"]),
    (2, ["en_GB", "en_001", "en"]),
    (3, ["it"]),
    (4, ["de"]),
    (5, ["en"]),
]


def windows_zone_map(cldr):
    """tz id -> Windows key, in the file's order; Etc/ zones are offsets, not cities."""
    tree = ET.parse(f"{cldr}/supplemental/windowsZones.xml")
    zones = {}
    for zone in tree.iter("mapZone"):
        if zone.get("territory") == "001":
            continue
        for tz in zone.get("type").split():
            # Etc/ zones are plain offsets and the POSIX-style names (EST5EDT) are rules, not places.
            if tz.startswith("Etc/") or "/" not in tz:
                continue
            zones.setdefault(tz, zone.get("other"))
    return zones


def exemplar_cities(cldr, locale):
    path = f"{cldr}/main/{locale}.xml"
    try:
        tree = ET.parse(path)
    except FileNotFoundError:
        return {}
    cities = {}
    for zone in tree.iter("zone"):
        for city in zone.findall("exemplarCity"):
            if city.get("alt") is None and city.text:
                cities[zone.get("type")] = city.text
    return cities


def wine_zone_keys(system_reg):
    pattern = re.compile(r"^\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Time Zones\\\\([^\\\]]+)\]")
    keys = set()
    with open(system_reg, encoding="utf-8", errors="replace") as reg:
        for line in reg:
            match = pattern.match(line)
            if match:
                keys.add(match.group(1))
    return keys


def sort_key(name):
    decomposed = unicodedata.normalize("NFKD", name)
    return "".join(c for c in decomposed if not unicodedata.combining(c)).casefold(), name


def put_string(out, text):
    units = text.encode("utf-16-le")
    out += struct.pack("<I", len(units) // 2) + units


def build(cldr, allowed_keys):
    zones = windows_zone_map(cldr)
    if allowed_keys is not None:
        dropped = sorted({key for key in zones.values() if key not in allowed_keys})
        for key in dropped:
            print(f"left out (not in the registry table): {key}", file=sys.stderr)
        zones = {tz: key for tz, key in zones.items() if key in allowed_keys}
    keys = sorted(set(zones.values()))
    key_index = {key: i for i, key in enumerate(keys)}
    root = exemplar_cities(cldr, "root")

    out = bytearray(struct.pack("<Ii", MAGIC, len(keys)))
    for key in keys:
        assert len(key) <= MAX_NAME, key
        put_string(out, key)
    out += struct.pack("<i", len(LANGUAGES))
    for language, chain in LANGUAGES:
        names = {}
        for locale in reversed(chain):
            names.update(exemplar_cities(cldr, locale))
        english = chain[-1] == "en"
        cities = []
        for tz, key in zones.items():
            # English takes CLDR's rule for names it does not list (root's name, else the zone id's last part);
            # another language without a name of its own for the zone leaves that city out of its group.
            name = names.get(tz)
            if name is None and english:
                name = root.get(tz) or tz.rsplit("/", 1)[-1].replace("_", " ")
            if name is None:
                continue
            if len(name.encode("utf-16-le")) // 2 > MAX_NAME:
                continue
            cities.append((sort_key(name), name, key_index[key]))
        cities.sort()
        out += struct.pack("<ii", language, len(cities))
        for _, name, index in cities:
            out += struct.pack("<i", index)
            put_string(out, name)
    return bytes(out), len(keys), len(zones)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cldr", default="/usr/share/unicode/cldr/common")
    parser.add_argument("--zones", help="system.reg of a Wine prefix")
    parser.add_argument("output")
    args = parser.parse_args()
    allowed = wine_zone_keys(args.zones) if args.zones else None
    data, zone_count, city_count = build(args.cldr, allowed)
    with open(args.output, "wb") as out:
        out.write(data)
    print(f"{args.output}: {zone_count} zones, {city_count} cities per language, {len(data)} bytes")


if __name__ == "__main__":
    main()

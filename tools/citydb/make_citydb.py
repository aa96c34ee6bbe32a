#!/usr/bin/python3
"""Builds citydb.dat, the city database shipped beside the settings program.

Cities come from GNOME's world-clock location database (Debian package libgweather-4-common: Locations.xml and the
translations of its names in libgweather-4.0-locations.mo), with Unicode CLDR (unicode-cldr-core) for the Windows
time-zone key of every IANA zone (windowsZones.xml), for the names of the zones' exemplar cities and for country
names. Japanese names are sorted by their reading, taken from the IPA dictionary (mecab-ipadic) where a name is
written in kanji. See docs/CITYDB.md.

    make_citydb.py [--zones SYSTEM.REG] OUTPUT

--zones is a Wine prefix's system.reg whose "Time Zones" table the file must fit: cities of Windows keys missing
there are left out. Run it with Debian's own Python (/usr/bin/python3), which has the ICU module (python3-icu).
"""
import argparse
import collections
import gettext
import glob
import math
import re
import struct
import sys
import unicodedata
import xml.etree.ElementTree as ET

import icu

LOCATIONS = "/usr/share/libgweather-4/Locations.xml"
LOCALE_DIR = "/usr/share/locale"
CATALOG = "libgweather-4.0-locations"
CLDR = "/usr/share/unicode/cldr/common"
IPADIC = "/usr/share/mecab/dic/ipadic"
SKK = "/usr/share/skk/SKK-JISYO.L"
ZONE_TAB = "/usr/share/zoneinfo/zone.tab"

MAGIC = 0xFEABABEF
MAX_NAME = 64
MAX_CITIES = 10000


class Language:
    def __init__(self, index, catalog, cldr_chain, collation, country_form, state_form):
        self.index = index
        self.catalog = catalog  # gettext language of the location names; None: the English names as they stand
        self.cldr_chain = cldr_chain  # most specific first
        self.collator = icu.Collator.createInstance(icu.Locale(collation))
        # Punctuation and spaces do not count, as in a dictionary: "’Adan" goes among the A's.
        self.collator.setAttribute(icu.UCollAttribute.ALTERNATE_HANDLING, icu.UCollAttributeValue.SHIFTED)
        self.country_form = country_form  # name, country
        self.state_form = state_form  # name, state, country


# The program's language indexes with the groups they get. British English keeps the English names as the
# location database writes them: its en_GB catalogue only undoes newer spellings (Kyiv back to Kiev, Zürich to
# Zurich).
LANGUAGES = [
    Language(0, "ja", ["ja"], "ja", "{}（{}）", "{}（{}、{}）"),
    Language(1, "fr", ["fr"], "fr", "{}, {}", "{}, {}, {}"),
    Language(2, None, ["en_GB", "en_001", "en"], "en_GB", "{}, {}", "{}, {}, {}"),
    Language(3, "it", ["it"], "it", "{}, {}", "{}, {}, {}"),
    Language(4, "de", ["de"], "de", "{}, {}", "{}, {}, {}"),
    Language(5, None, ["en"], "en_US", "{}, {}", "{}, {}, {}"),
]

# Translations of the location database's catalogues that name another place or misspell it, found by reading
# them; the English name stands instead. (catalogue language, English name, translation, the city's country where
# the same English name elsewhere is translated rightly.)
WRONG_TRANSLATIONS = {
    ("ja", "Shenzhen", "深川", None),  # Fukagawa in Tokyo
    ("ja", "Taiyuan", "台南", None),  # Tainan
    ("ja", "Kochi", "高知", "IN"),  # Kōchi in Japan
    ("ja", "Rocky Mountain House", "ロッキー山脈のログハウス", None),  # "a log house in the Rocky Mountains"
    ("ja", "Rocky Mount", "ロッキー山脈", None),  # "the Rocky Mountains"
    ("ja", "Atlantic", "大西洋", None),  # "the Atlantic Ocean"
    ("fr", "Edinburgh", "Edimbourgh", None),
    ("fr", "Cheboksary", "Tcheboxsary", None),
    ("de", "Longyearbyen", "Linguere", None),  # in Senegal
    ("de", "I-n-Salah", "Salalah", None),  # in Oman
    ("de", "Ankarena", "Ankeny", None),
    ("de", "Antsiranana", "Antsirabe", None),
    ("de", "Toamasina", "Tasmanien", None),
    ("de", "Yokota", "Yokote", None),
    ("de", "Avarua", "Arua", None),
    ("de", "Koror", "Tororo", None),
    ("de", "Alajuela", "Acajutla", None),
    ("de", "Teresina", "Terezinah", None),
    ("de", "Karup", "Karub", None),
    ("de", "Bratsk", "Brjansk", None),
    ("de", "Nyköping", "Norrköping", None),
    ("it", "Dorfgmünd", "Dortmund", None),
    ("it", "Suva", "Suvat", None),
    ("it", "Bantam Village", "Arctic Village", None),
    ("it", "I-n-Salah", "In Salalah", None),
    ("it", "Ovar", "Ovda", None),
    ("it", "Vigo", "Vigie", None),
    ("it", "Saint Petersburg", "San Pietrobrugo", None),
    ("it", "Baker Lake", "Lagoo Baker", None),
    ("it", "Red Lake", "Lago rosso", None),
    ("it", "Rapid City", "Rapida City", None),
    ("it", "Ann Arbor", "Ann Arbour", None),
    ("it", "La Grande", "La Grange", None),
    ("it", "Abadeh", "Abadan", None),
    ("it", "Andalusia", "Andalisia", None),
    ("it", "Edinburg", "Edimburgo", "US"),  # Edinburg, Texas
    ("it", "Peru", "Perù", "US"),
    ("it", "Lebanon", "Libano", "US"),
    ("it", "Palestine", "Palestina", "US"),
}
# Zones whose exemplar city CLDR 41 still spells the old way while the catalogues have the current name.
CATALOG_FIRST_ZONES = {"Europe/Kiev"}


def canonical_zones():
    """IANA id -> CLDR's canonical id (CLDR keeps the old names, such as Asia/Calcutta for Asia/Kolkata)."""
    canonical = {}
    for zone in ET.parse(f"{CLDR}/bcp47/timezone.xml").iter("type"):
        aliases = (zone.get("alias") or "").split()
        for alias in aliases:
            canonical[alias] = aliases[0]
    return canonical


def windows_zones(canonical):
    """Canonical id -> (Windows key, territory); and Windows key -> the canonical id of its main zone."""
    zones, main = {}, {}
    for zone in ET.parse(f"{CLDR}/supplemental/windowsZones.xml").iter("mapZone"):
        key, territory = zone.get("other"), zone.get("territory")
        for tz in zone.get("type").split():
            tz = canonical.get(tz, tz)
            if territory == "001":
                main[key] = tz
            elif not tz.startswith("Etc/") and "/" in tz:
                zones.setdefault(tz, (key, territory))
    return zones, main


def cldr_file(locale):
    try:
        return ET.parse(f"{CLDR}/main/{locale}.xml").getroot()
    except FileNotFoundError:
        return None


def cldr_exemplars(chain):
    """tz id -> exemplar city, from the most specific locale of the chain that names it (root's only for English)."""
    names = {}
    for locale in reversed(chain + (["root"] if chain[-1] == "en" else [])):
        root = cldr_file(locale)
        for zone in root.iter("zone") if root is not None else []:
            for city in zone.findall("exemplarCity"):
                if city.get("alt") is None and city.text:
                    names[zone.get("type")] = city.text.replace("\u00ad", "")  # soft hyphens
    return names


def cldr_territories(chain):
    names = {}
    for locale in reversed(chain):
        root = cldr_file(locale)
        for territory in root.iter("territory") if root is not None else []:
            if territory.get("alt") is None and territory.text:
                names[territory.get("type")] = territory.text
    return names


def plain(text):
    decomposed = unicodedata.normalize("NFKD", text)
    return "".join(c for c in decomposed if not unicodedata.combining(c)).casefold()


class City:
    def __init__(self, element, english, country, state, tz, capital):
        self.element = element  # the <_name> element, or None for a city only CLDR names
        self.english = english
        self.country = country  # (ISO code, <_name> element or None)
        self.state = state  # <_name> element or None
        self.tz = tz
        self.capital = capital
        self.exemplar = False  # CLDR's exemplar city of its zone
        self.key = None


def zone_places(canonical):
    """Canonical id -> (latitude, longitude) of the zone's principal place, from tzdata's zone.tab."""
    places = {}
    with open(ZONE_TAB, encoding="utf-8") as table:
        for line in table:
            if line.startswith("#"):
                continue
            fields = line.split("\t")
            match = re.fullmatch(r"([+-]\d{2})(\d{2})(\d{2})?([+-]\d{3})(\d{2})(\d{2})?", fields[1])
            lat = int(match[1]) + (1 if match[1][0] == "+" else -1) * (int(match[2]) / 60 + int(match[3] or 0) / 3600)
            lon = int(match[4]) + (1 if match[4][0] == "+" else -1) * (int(match[5]) / 60 + int(match[6] or 0) / 3600)
            places[canonical.get(fields[2], fields[2])] = (lat, lon)
    return places


def distance(a, b):
    """Great-circle distance in radians."""
    lat1, lon1, lat2, lon2 = (math.radians(x) for x in (*a, *b))
    cosine = math.sin(lat1) * math.sin(lat2) + math.cos(lat1) * math.cos(lat2) * math.cos(lon1 - lon2)
    return math.acos(max(-1.0, min(1.0, cosine)))


def location_cities(canonical):
    parser = ET.XMLParser(target=ET.TreeBuilder(insert_comments=True))
    root = ET.parse(LOCATIONS, parser).getroot()
    places = zone_places(canonical)
    cities = []
    for region in root.findall("region"):
        for country in region.findall("country"):
            code = country.findtext("iso-code")
            country_name = country.find("_name")
            country_zones = [canonical.get(z.get("id"), z.get("id")) for z in country.findall("timezones/timezone")]

            def add(city, state, state_tz):
                name = city.find("_name")
                english = (name if name is not None else city.find("name")).text
                tz = city.findtext("tz-hint") or state_tz
                if tz is None:
                    # A country of several zones gives its main zone to every city that names none; the zone whose
                    # principal place lies nearest is the city's (Las Palmas lies in the Canaries' zone, not
                    # Madrid's).
                    tz = canonical.get(country.findtext("tz-hint"), country.findtext("tz-hint"))
                    where = tuple(float(x) for x in city.findtext("coordinates").split())
                    known = [zone for zone in country_zones if zone in places]
                    if len(known) > 1:
                        tz = min(known, key=lambda zone: distance(where, places[zone]))
                capital = any(
                    child.tag is ET.Comment and child.text.strip().startswith("The capital of") for child in city)
                cities.append(City(name, english, (code, country_name), state, canonical.get(tz, tz), capital))

            for city in country.findall("city"):
                add(city, None, None)
            for state in country.findall("state"):
                for city in state.findall("city"):
                    add(city, state.find("_name"), state.findtext("tz-hint"))
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


# Japanese readings.

def katakana(text):
    return "".join(chr(ord(c) + 0x60) if "\u3041" <= c <= "\u3096" else c for c in text)


def is_kana(c):
    return "\u3041" <= c <= "\u30ff" and c != "\u30fb"


def is_japanese(c):
    return is_kana(c) or "\u4e00" <= c <= "\u9fff" or "\u3400" <= c <= "\u4dbf"


ROMAJI = {}
for row in ("ア a,イ i,ウ u,エ e,オ o,カ ka,キ ki,ク ku,ケ ke,コ ko,サ sa,シ shi,ス su,セ se,ソ so,タ ta,チ chi,"
            "ツ tsu,テ te,ト to,ナ na,ニ ni,ヌ nu,ネ ne,ノ no,ハ ha,ヒ hi,フ fu,ヘ he,ホ ho,マ ma,ミ mi,ム mu,メ me,"
            "モ mo,ヤ ya,ユ yu,ヨ yo,ラ ra,リ ri,ル ru,レ re,ロ ro,ワ wa,ヲ o,ン n,ガ ga,ギ gi,グ gu,ゲ ge,ゴ go,"
            "ザ za,ジ ji,ズ zu,ゼ ze,ゾ zo,ダ da,ヂ ji,ヅ zu,デ de,ド do,バ ba,ビ bi,ブ bu,ベ be,ボ bo,パ pa,ピ pi,"
            "プ pu,ペ pe,ポ po,ャ ya,ュ yu,ョ yo,ァ a,ィ i,ゥ u,ェ e,ォ o").split(","):
    kana, latin = row.split()
    ROMAJI[kana] = latin


def romaji_skeleton(reading):
    """A reading as a macron-less romanisation would spell it, reduced so that both compare: "kochi" for コウチ."""
    out = ""
    for i, c in enumerate(reading):
        if c == "ッ":
            out += "-"
        elif c in "ャュョ" and out.endswith("i"):
            out = out[:-1] + ("" if out[-2:-1] in ("h", "j") else "y") + ROMAJI[c][1]
        else:
            out += ROMAJI.get(c, "")
    out = re.sub(r"-(.)", r"\1\1", out).replace("-", "")
    return re.sub(r"(?<=[ou])u|(?<=o)o", "", out)


def english_skeleton(name):
    text = re.sub(r"[^a-z]", "", plain(name))
    return re.sub(r"(?<=[ou])u|(?<=o)o", "", text)


def edit_distance(a, b):
    row = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        previous, row[0] = row[0], i
        for j, y in enumerate(b, 1):
            previous, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, previous + (x != y))
    return row[-1]


class Readings:
    """Readings of names written in kanji, from two Japanese dictionaries: SKK's large dictionary (readings as
    Japanese writers type them, no preference among them) and the IPA dictionary's nouns, prefixes and suffixes
    (with a cost: the lower, the likelier)."""

    def __init__(self):
        self.words = collections.defaultdict(list)  # surface -> [(cost, katakana)], cheapest first
        self.longest = 1
        for path in sorted(glob.glob(f"{IPADIC}/Noun*.csv") + [f"{IPADIC}/Prefix.csv", f"{IPADIC}/Suffix.csv"]):
            with open(path, encoding="euc-jp", errors="replace") as csv:
                for line in csv:
                    fields = line.rstrip("\n").split(",")
                    if len(fields) < 12 or not any(is_japanese(c) and not is_kana(c) for c in fields[0]):
                        continue
                    self.words[fields[0]].append((int(fields[3]), fields[11]))
                    self.longest = max(self.longest, len(fields[0]))
        for choices in self.words.values():
            choices.sort()
        self.skk = collections.defaultdict(set)  # surface -> {katakana}
        with open(SKK, encoding="euc-jp", errors="replace") as dictionary:
            for line in dictionary:
                reading, _, rest = line.partition(" /")
                if line.startswith(";") or not reading or not all(is_kana(c) for c in reading):
                    continue
                for candidate in rest.rstrip("/\n").split("/"):
                    self.skk[candidate.split(";")[0]].add(katakana(reading))

    def whole(self, name, english):
        """A reading of the whole name: the one its English spelling romanises, else SKK's reading nearest to that
        spelling, else the IPA dictionary's nearest (cheapest on a tie); None when neither knows the name."""
        ipadic = {reading: cost for cost, reading in reversed(self.words.get(name, []))}
        skk = self.skk.get(name, set())
        target = english_skeleton(english)
        for reading in sorted(skk | set(ipadic)):
            if romaji_skeleton(reading) == target:
                return reading
        choices = skk or set(ipadic)
        if not choices:
            return None
        return min(choices, key=lambda r: (edit_distance(romaji_skeleton(r), target), ipadic.get(r, 0), r))

    def reading(self, name, english):
        """The whole name's reading where a dictionary knows it; else kana as written and kanji word by word through
        the IPA dictionary, the fewest words first, then the lowest cost."""
        known = self.whole(name, english)
        if known:
            return known
        best = [(0, 0, "")] + [None] * len(name)  # (words, cost, reading) up to each position
        for i in range(len(name)):
            if best[i] is None:
                continue
            words, cost, reading = best[i]
            steps = []
            if not is_japanese(name[i]) or is_kana(name[i]):
                steps.append((1, 0, katakana(name[i]) if is_kana(name[i]) else ""))
            for length in range(1, min(self.longest, len(name) - i) + 1):
                for word_cost, word_reading in self.words.get(name[i:i + length], [])[:1]:
                    steps.append((length, word_cost, word_reading))
            if not steps:  # a kanji neither dictionary reads: it sorts after every reading
                steps.append((1, 100000, "\uffef"))
            for length, step_cost, step_reading in steps:
                candidate = (words + 1, cost + step_cost, reading + step_reading)
                if best[i + length] is None or candidate[:2] < best[i + length][:2]:
                    best[i + length] = candidate
        return best[-1][2]


# Names.

class Names:
    def __init__(self, language, cldr_english):
        self.language = language
        self.catalog = {}
        if language.catalog:
            self.catalog = gettext.translation(CATALOG, LOCALE_DIR, [language.catalog])._catalog
        self.exemplars = cldr_exemplars(language.cldr_chain)
        self.cldr_english = cldr_english
        self.territories = cldr_territories(language.cldr_chain)

    def translate(self, element, country=None):
        if element is None:
            return None
        context = element.get("msgctxt")
        english = element.text
        text = self.catalog.get(f"{context}\x04{english}" if context else english)
        wrong = WRONG_TRANSLATIONS & {(self.language.catalog, english, text, c) for c in (None, country)}
        return text if text and text != english and not wrong else english

    def city(self, city):
        cldr = self.exemplars.get(city.tz)
        own = cldr if cldr and cldr != self.cldr_english.get(city.tz) else None
        if city.element is None:
            return cldr or city.english
        translated = self.translate(city.element, city.country[0])
        if self.language.catalog is None:
            return city.english
        if city.exemplar and own and not (city.tz in CATALOG_FIRST_ZONES and translated != city.english):
            return own
        return translated

    def country(self, city):
        code, element = city.country
        return self.territories.get(code) or self.translate(element) or code

    def state(self, city):
        return self.translate(city.state)


def units(text):
    return len(text.encode("utf-16-le")) // 2


def labels(cities, names):
    """Each city's name in the language; where two cities would show the same name, the country follows, and where
    that is not enough either, the state and the country. Translations that still leave two cities of one state
    the same name although their English names differ are a catalogue's slip: those cities keep their English name.
    Returns the names and the names as shown."""
    form = names.language
    base = [names.city(city) for city in cities]
    while True:
        shown = list(base)
        by_name = collections.defaultdict(list)
        for i, name in enumerate(base):
            by_name[name].append(i)
        for same in by_name.values():
            if len(same) < 2:
                continue
            countries = collections.Counter(names.country(cities[i]) for i in same)
            for i in same:
                country = names.country(cities[i])
                state = names.state(cities[i])
                if countries[country] > 1 and state:
                    shown[i] = form.state_form.format(base[i], state, country)
                else:
                    shown[i] = form.country_form.format(base[i], country)
        by_shown = collections.defaultdict(list)
        for i, name in enumerate(shown):
            by_shown[name].append(i)
        slips = [i for same in by_shown.values() if len({cities[j].english for j in same}) > 1 for i in same
                 if base[i] != cities[i].english]
        if not slips:
            return base, shown
        for i in slips:
            base[i] = cities[i].english


def sort_keys(cities, base, shown, language, readings):
    def key(i):
        city = cities[i]
        rank = 0 if city.capital else 1 if city.exemplar else 2
        collate = language.collator.getSortKey
        if language.index == 0 and is_japanese(base[i][0]):
            # Japanese names first, in the order of their readings (gojūon); names in Latin letters after them.
            reading = readings.reading(base[i], city.english)
            return (0, collate(reading), collate(base[i]), rank, collate(shown[i]))
        return (1, collate(base[i]), b"", rank, collate(shown[i]))

    return key


def put_string(out, text):
    encoded = text.encode("utf-16-le")
    out += struct.pack("<I", len(encoded) // 2) + encoded


def build(allowed_keys):
    canonical = canonical_zones()
    zones, main_zone = windows_zones(canonical)
    cities = location_cities(canonical)
    cldr_english = cldr_exemplars(["en"])

    # CLDR's exemplar cities: marked where the location database has them, added for zones it has no city in.
    by_zone = collections.defaultdict(list)
    for city in cities:
        by_zone[city.tz].append(city)
    country_elements = {city.country[0]: city.country[1] for city in cities}
    for tz, (key, territory) in zones.items():
        english = cldr_english.get(tz) or tz.rsplit("/", 1)[-1].replace("_", " ")
        same = [city for city in by_zone[tz] if plain(city.english) == plain(english)]
        for city in same:
            city.exemplar = True
        # Where the location database lists the city under another zone of the same offset (Saratov under Samara),
        # its entry stands.
        listed = any(city.country[0] == territory and plain(city.english) == plain(english) for city in cities)
        if not by_zone[tz] and not listed:
            extra = City(None, english, (territory, country_elements.get(territory)), None, tz, False)
            extra.exemplar = True
            cities.append(extra)

    kept = []
    for city in cities:
        if city.tz not in zones:
            print(f"no Windows zone for {city.tz}: {city.english}", file=sys.stderr)
            continue
        city.key = zones[city.tz][0]
        if allowed_keys is not None and city.key not in allowed_keys:
            print(f"left out (not in the registry table): {city.key}: {city.english}", file=sys.stderr)
            continue
        kept.append(city)
    # A city listed twice in one state of one country (the location database has a few) is listed once.
    seen = set()
    cities = []
    for city in kept:
        identity = (city.english, city.state.text if city.state is not None else None, city.country[0])
        if identity in seen:
            print(f"left out (listed twice): {city.english}, {city.country[0]}", file=sys.stderr)
            continue
        seen.add(identity)
        cities.append(city)

    languages = [(language, Names(language, cldr_english)) for language in LANGUAGES]
    shown = {}
    for language, names in languages:
        shown[language.index] = labels(cities, names)
    # A city whose name would not fit in one language is left out of all of them, so every group lists the same.
    fits = [all(units(shown[l][1][i]) <= MAX_NAME for l in shown) for i in range(len(cities))]
    for i, city in enumerate(cities):
        if not fits[i]:
            print(f"left out (name too long): {city.english}", file=sys.stderr)
    order = [i for i in range(len(cities)) if fits[i]]
    assert len(order) <= MAX_CITIES

    keys = sorted({cities[i].key for i in order})
    key_index = {key: n for n, key in enumerate(keys)}
    readings = Readings()

    out = bytearray(struct.pack("<Ii", MAGIC, len(keys)))
    for key in keys:
        assert units(key) <= MAX_NAME, key
        put_string(out, key)
    # One group per language with every city; then per language one more group, one city per zone: the zone's
    # main city (CLDR's exemplar city of the zone's main IANA zone, else that zone's capital), where a new clock
    # starts.
    main_cities = []
    for key in keys:
        tz = main_zone.get(key)
        candidates = [i for i in order if cities[i].tz == tz and (cities[i].capital or cities[i].exemplar)]
        candidates.sort(key=lambda i: not cities[i].exemplar)
        if candidates:
            main_cities.append(candidates[0])
    out += struct.pack("<i", 2 * len(languages))
    for language, names in languages:
        base, label = shown[language.index]
        ordered = sorted(order, key=sort_keys(cities, base, label, language, readings))
        out += struct.pack("<ii", language.index, len(ordered))
        for i in ordered:
            out += struct.pack("<i", key_index[cities[i].key])
            put_string(out, label[i])
    for language, names in languages:
        label = shown[language.index][1]
        out += struct.pack("<ii", language.index, len(main_cities))
        for i in main_cities:
            out += struct.pack("<i", key_index[cities[i].key])
            put_string(out, label[i])
    return bytes(out), len(keys), len(order)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--zones", help="system.reg of a Wine prefix")
    parser.add_argument("output")
    args = parser.parse_args()
    allowed = wine_zone_keys(args.zones) if args.zones else None
    data, zone_count, city_count = build(allowed)
    with open(args.output, "wb") as out:
        out.write(data)
    print(f"{args.output}: {zone_count} zones, {city_count} cities per language, {len(data)} bytes")


if __name__ == "__main__":
    main()

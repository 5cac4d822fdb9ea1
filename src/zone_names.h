// What the zone folder holds by name: the zones it lists, the country each
// is for, and the abbreviations its zones use (CET, IST, AEST) with the
// offsets they are used at. Read only where a TZ value needs them, and from
// the folder itself, so they are this system's own.
#ifndef ADCONV_ZONE_NAMES_H
#define ADCONV_ZONE_NAMES_H

#include <cstdint>
#include <string>
#include <vector>

namespace adconv {

// Whether two names are one, case aside (cet, CET).
bool same_name(const std::string& a, const std::string& b);

// The names a zone at UTC goes by, as a zone or as an abbreviation: UTC,
// UCT, GMT, GMT0, GMT+0, GMT-0, Greenwich, Universal, Zulu (and Etc/ each).
bool is_utc_name(const std::string& name);

// The zone names the folder lists: from tzdata.zi (links too), else
// zone1970.tab or zone.tab.
std::vector<std::string> listed_zones(const std::string& folder);

// One abbreviation as a zone uses it.
struct AbbreviationUse {
    std::string abbreviation;
    std::int32_t east;  // seconds east of UTC
    std::string zone;
    bool now;  // the zone's closing rule names it
};

// Every use of an abbreviation of letters in the zone files of the zones
// the folder's tables list; none where there are no zone data.
std::vector<AbbreviationUse> abbreviation_uses(const std::string& folder);

// The uses of `abbreviation` (case aside), those of today first, then by
// zone.
std::vector<AbbreviationUse> uses_of(const std::vector<AbbreviationUse>& uses, const std::string& abbreviation);

// The country a zone is for, from zone.tab and iso3166.tab, or empty.
std::string country_of(const std::string& folder, const std::string& zone);

}  // namespace adconv

#endif

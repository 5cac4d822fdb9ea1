// The words of a TZ refusal: why a setting cannot be used, and the value it
// was most likely meant to be, from the names and offsets the zone data
// here give.
#include "zone_refusal.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "zone_names.h"

namespace adconv {

namespace {

// A value this long is shown by its start and its length, so that the
// reason after it still fits a line.
std::string shown(const std::string& setting)
{
    if (setting.size() <= 200)
        return setting;
    return setting.substr(0, 100) + "... (" + std::to_string(setting.size() - 3) + " characters)";
}

// "5:30 hours", "1 hour".
std::string hours(std::int32_t seconds)
{
    seconds = seconds < 0 ? -seconds : seconds;
    char text[32];
    if (seconds % 60 != 0)
        std::snprintf(text, sizeof text, "%d:%02d:%02d hours", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else if (seconds % 3600 != 0)
        std::snprintf(text, sizeof text, "%d:%02d hours", seconds / 3600, seconds / 60 % 60);
    else
        std::snprintf(text, sizeof text, seconds == 3600 ? "1 hour" : "%d hours", seconds / 3600);
    return text;
}

// "at UTC", "5:30 hours ahead of UTC", "1 hour behind UTC"; without a
// reference, "5:30 hours ahead".
std::string place(std::int32_t east, const std::string& reference)
{
    if (east == 0)
        return "at " + reference;
    const std::string where = hours(east) + (east > 0 ? " ahead" : " behind");
    return reference.empty() ? where : where + (east > 0 ? " of " : " ") + reference;
}

// TZ=VALUE, quoted where a shell would read the value otherwise.
std::string tz_value(const std::string& value)
{
    const bool plain = value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-:,./_") ==
                       std::string::npos;
    return plain ? "TZ=" + value : "TZ='" + value + "'";
}

// The TZ value that names a zone on this system: musl reads a name
// without '/' as a rule unless it follows ':'.
std::string zone_value(const std::string& zone, const TzSystem& system)
{
    return (system.names_files_first || zone.find('/') != std::string::npos ? "TZ=" : "TZ=:") + zone;
}

// The offset `east` as a rule writes it (-5:30 for 5:30 hours ahead, +1),
// or as a name says it (+0530, -01).
std::string offset_text(std::int32_t east, bool as_name)
{
    const std::int32_t a = east < 0 ? -east : east;
    const char sign = (east < 0) == as_name ? '-' : '+';
    char text[32];
    if (a % 3600 == 0)
        std::snprintf(text, sizeof text, as_name ? "%c%02d" : "%c%d", sign, a / 3600);
    else
        std::snprintf(text, sizeof text, as_name ? "%c%02d%02d" : "%c%d:%02d", sign, a / 3600, a / 60 % 60);
    return text;
}

// The rule for `east`, named for it: TZ='<+0530>-5:30'. The Windows
// runtime takes only three letters for a name.
std::string rule_for(std::int32_t east, bool windows)
{
    if (windows)
        return "TZ=XXX" + offset_text(east, false) + " (with three letters of your own for XXX)";
    return "TZ='<" + offset_text(east, true) + ">" + offset_text(east, false) + "'";
}

// The offset east that a numeric name (+05, -0330, +053000) states, or
// false where the name is not one.
bool numeric_name(const std::string& name, std::int32_t& east)
{
    if (name.size() < 2 || (name[0] != '+' && name[0] != '-'))
        return false;
    const std::string digits = name.substr(1);
    if (digits.find_first_not_of("0123456789") != std::string::npos ||
        (digits.size() != 2 && digits.size() != 4 && digits.size() != 6))
        return false;
    const int v = std::atoi(digits.c_str());
    const int hh = digits.size() == 2 ? v : digits.size() == 4 ? v / 100 : v / 10000;
    const int mm = digits.size() == 2 ? 0 : digits.size() == 4 ? v % 100 : v / 100 % 100;
    const int ss = digits.size() == 6 ? v % 100 : 0;
    east = (name[0] == '-' ? -1 : 1) * (hh * 3600 + mm * 60 + ss);
    return hh <= 24 && mm < 60 && ss < 60;  // +8288 is a name, not a time
}

// The uses of today where there are any, else all.
std::vector<AbbreviationUse> current(std::vector<AbbreviationUse> uses)
{
    const auto past = [](const AbbreviationUse& u) { return !u.now; };
    if (!uses.empty() && uses[0].now)  // today's come first
        uses.erase(std::remove_if(uses.begin(), uses.end(), past), uses.end());
    return uses;
}

// "A, B, C or D", at most `most` of them, and how many more there are.
std::string one_of(const std::vector<std::string>& names, std::size_t most)
{
    std::string list;
    const std::size_t n = std::min(names.size(), most);
    for (std::size_t i = 0; i < n; ++i)
        list += (i == 0 ? "" : i + 1 == n && n == names.size() ? " or " : ", ") + names[i];
    return names.size() > n ? list + " and " + std::to_string(names.size() - n) + " more" : list;
}

struct Named {
    const std::string& name;
    std::int32_t east;
};

// A rule's standard (0) and summer-time (1) names, with their offsets.
std::array<Named, 2> names_of(const TzRule& rule)
{
    return {{{rule.std_name, rule.std_east}, {rule.dst_name, rule.dst_east}}};
}

// Which of a rule's names (0 standard, 1 summer time) the zone data here
// use only at other offsets, or -1.
int misnamed(const TzRule& rule, const std::vector<AbbreviationUse>& all)
{
    const std::array<Named, 2> names = names_of(rule);
    for (int i = 0; i < 2; ++i) {
        const std::vector<AbbreviationUse> uses = uses_of(all, names[i].name);
        const auto at_offset = [&](const AbbreviationUse& u) { return u.east == names[i].east; };
        if (!uses.empty() && std::none_of(uses.begin(), uses.end(), at_offset))
            return i;
    }
    return -1;
}

// Why a name of the rule `text` is not used at the offset it gives: the
// offsets the zone data use it at, and the value meant.
std::string misnamed_why(const TzRule& rule, int which, const std::string& text,
                         const std::vector<AbbreviationUse>& all, const TzSystem& system)
{
    const Named n = names_of(rule)[which];
    const std::vector<AbbreviationUse> uses = uses_of(all, n.name);
    const std::string wrong = ", but this rule puts it " + place(n.east, "") + " (offsets in TZ count west); ";
    // Turned, every name at an offset the zone data give it: a sign error.
    const std::string turned = turned_rule(text.c_str());
    TzRule meant;
    if (!turned.empty() && parse_tz_rule(turned.c_str(), meant) && misnamed(meant, all) < 0) {
        const std::int32_t east = names_of(meant)[which].east;
        const auto use = *std::find_if(uses.begin(), uses.end(), [&](const AbbreviationUse& u) { return u.east == east; });
        const std::string country = country_of(system.zone_folder, use.zone);
        return n.name + " is " + place(use.east, "UTC") + " here (" + use.zone + ")" + wrong + "for " +
               (country.empty() ? use.zone : country) + " write " + tz_value(turned) + " or " +
               zone_value(use.zone, system);
    }
    std::vector<AbbreviationUse> shown_uses;
    for (const AbbreviationUse& u : current(uses)) {
        const auto same_offset = [&](const AbbreviationUse& s) { return s.east == u.east; };
        if (shown_uses.size() < 4 && std::none_of(shown_uses.begin(), shown_uses.end(), same_offset))
            shown_uses.push_back(u);
    }
    std::vector<std::string> places;
    for (const AbbreviationUse& u : shown_uses)
        places.push_back(place(u.east, "UTC") + " (" + u.zone + ")");
    return n.name + " is " + one_of(places, places.size()) + " here" + wrong + "name the zone, for example " +
           zone_value(shown_uses[0].zone, system);
}

// For "UTC+0530": a name, then hours and minutes without a colon, which a
// rule reads as 530 hours. Gives the offset east that was meant.
bool hhmm_offset(const std::string& value, std::string& name, std::int32_t& east)
{
    const std::size_t sign = value.find_first_of("+-");
    if (sign == std::string::npos || sign < 3 || value.size() != sign + 5 ||
        value.find_first_not_of("0123456789", sign + 1) != std::string::npos)
        return false;
    name = value.substr(0, sign);
    if (name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") != std::string::npos)
        return false;
    const int hh = std::atoi(value.substr(sign + 1, 2).c_str()), mm = std::atoi(value.substr(sign + 3, 2).c_str());
    east = (value[sign] == '-' ? -1 : 1) * (hh * 3600 + mm * 60);
    return hh <= 24 && mm < 60 && east != 0;
}

}  // namespace

const char kRuleExample[] = "CET-1CEST,M3.5.0,M10.5.0/3";

const char* refuse(const std::string& setting, const std::string& why)
{
    static std::string line;
    line = shown(setting) + ": " + why;
    return line.c_str();
}

std::string contradiction(const TzRule& rule, const std::string& text, const TzSystem& system)
{
    const bool windows = system.runtime_form != nullptr;
    bool lettered = false;
    for (const Named& n : names_of(rule)) {
        std::int32_t stated = 0;
        const bool utc = is_utc_name(n.name);
        lettered = lettered || (!utc && !n.name.empty() && n.name[0] != '+' && n.name[0] != '-');
        if ((!utc && !numeric_name(n.name, stated)) || stated == n.east)
            continue;
        const std::string meant = utc           ? "for " + place(-n.east, "") + " write " + rule_for(-n.east, windows)
                                  : stated == 0 ? std::string("for UTC write TZ=UTC0")
                                                : "for " + place(stated, "") + " write " + rule_for(stated, windows);
        return "a zone named " + n.name + " lies " + place(stated, "UTC") + ", but this rule puts it " +
               place(n.east, "it") + " (offsets in TZ count west); " + meant;
    }
    // The zone data are read only for a name that may be theirs.
    if (windows || !lettered)
        return std::string();
    const std::vector<AbbreviationUse> all = abbreviation_uses(system.zone_folder);
    const int which = misnamed(rule, all);
    return which < 0 ? std::string() : misnamed_why(rule, which, text, all, system);
}

std::string no_such_zone(const std::string& name, const TzSystem& system)
{
    const std::string folder = system.zone_folder;
    const std::size_t first = name.find_first_not_of(" \t\r\n"), last_char = name.find_last_not_of(" \t\r\n");
    if (first != std::string::npos && (first != 0 || last_char + 1 != name.size())) {
        const std::string trimmed = name.substr(first, last_char + 1 - first);
        TzRule rule;
        const std::string path = trimmed[0] == '/' ? trimmed : folder + "/" + trimmed;
        if (parse_tz_rule(trimmed.c_str(), rule))
            return "the value has a space or a line break around it; write " + tz_value(trimmed);
        if (read_small_file(path.c_str(), nullptr, 0).outcome == SmallFile::kRead)
            return "the value has a space or a line break around it; write " + zone_value(trimmed, system);
    }
    std::string letters;
    std::int32_t east = 0;
    if (hhmm_offset(name, letters, east))
        return "offsets in TZ are hours and minutes with a colon, counted west; for " + place(east, "UTC") +
               " write " +
               (is_utc_name(letters) ? rule_for(east, false) : tz_value(letters + offset_text(east, false)));
    const std::size_t slash = name.rfind('/');
    const std::string last = name.substr(slash == std::string::npos ? 0 : slash + 1);
    std::vector<std::string> like;
    for (const std::string& zone : listed_zones(folder)) {
        if (zone == name && !system.names_files_first && name.find('/') == std::string::npos)  // musl
            return "this system reads a name without '/' as a rule; for the zone " + zone + " write " +
                   zone_value(zone, system);
        const std::size_t s = zone.rfind('/');
        if (same_name(zone, name) || same_name(zone.substr(s == std::string::npos ? 0 : s + 1), last))
            like.push_back(zone_value(zone, system).substr(3));
    }
    if (!like.empty())
        return "this system has no such time zone; it has " + one_of(like, 4);
    std::vector<std::string> zones;
    std::int32_t used_at = 0;
    for (const AbbreviationUse& use : current(uses_of(abbreviation_uses(folder), name))) {
        if (zones.empty())
            used_at = use.east;
        if (std::find(zones.begin(), zones.end(), use.zone) == zones.end())
            zones.push_back(use.zone);
    }
    if (!zones.empty())
        return "an abbreviation names no zone; " + name + " is used by " + one_of(zones, 6) +
               " here: name one of those, or give a rule (offsets in TZ count west), for example " +
               tz_value(name + offset_text(used_at, false));
    if (name.size() >= 2 && name.size() <= 6 && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos)
        return "an abbreviation names no zone (several zones share some); name the zone, for example"
               " Europe/Berlin or Asia/Kolkata (zone files are in " + folder + "), or give a rule, for example " +
               kRuleExample;
    return "this system has no such time zone (zone files are looked for in " + folder + "; a rule reads like " +
           kRuleExample + "); unset TZ for the system's time zone";
}

std::string runtime_form_why(TzForm form)
{
    switch (form) {
    case TzForm::kAsWritten:
        return std::string();
    case TzForm::kOtherZonesDates:
        return "this system gives every summer-time name the United States' dates, which only the zones "
               "5 to 10 hours west of UTC keep (EST5EDT to PST8PDT, Alaska, Hawaii-Aleutian); unset TZ for "
               "the system's time zone with its own rules, or give a fixed offset such as CET-1";
    case TzForm::kMisread:
        break;
    }
    return "this system reads TZ only as a three-letter name, the hours west of UTC as [+|-]hh[:mm[:ss]] "
           "and an optional summer-time name with United States rules, for example UTC0, CET-1 or "
           "EST5EDT; unset TZ for the system's time zone with its own rules";
}

}  // namespace adconv

#include "time_zone.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "calendar.h"
#include "platform.h"
#include "time_text.h"

namespace adconv {

namespace {

// The refusal line: the setting, then why.
char line[8192];

const char* refuse(const std::string& setting, const std::string& why)
{
    std::snprintf(line, sizeof line, "%s: %s", setting.c_str(), why.c_str());
    return line;
}

constexpr char kRuleExample[] = "CET-1CEST,M3.5.0,M10.5.0/3";

bool same_letters(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

// How a refusal names the settings, and what they led to.
struct Source {
    std::string setting;  // "TZ=VALUE" or "TZ unset"
    std::string what;     // "the rule", or the zone file's path
};

// Zone files are a few KiB; this holds every one in the time-zone database many times over.
unsigned char bytes[1 << 20];

enum class Found { kRead, kMissing, kRefused };

// Reads the zone file at `path` into `zone`.
Found read_zone(const char* path, const Source& source, ZoneModel& zone, const char*& refusal)
{
    const SmallFile file = read_small_file(path, bytes, sizeof bytes);
    if (file.outcome == SmallFile::kFailed && (file.error == ENOENT || file.error == ENOTDIR))
        return Found::kMissing;
    if (file.outcome == SmallFile::kNotRegular)
        refusal = refuse(source.setting, std::string(path) + " is not a regular file, so no zone can be loaded from it");
    else if (file.outcome == SmallFile::kFailed)
        refusal = refuse(source.setting, std::string(path) + ": " + std::strerror(file.error));
    else if (file.size > sizeof bytes)
        refusal = refuse(source.setting, std::string(path) + " is too large for a zone file");
    if (refusal != nullptr)
        return Found::kRefused;
    ZoneFile data;
    if (const char* why = read_zone_file(bytes, static_cast<std::size_t>(file.size), data)) {
        refusal = refuse(source.setting, std::string(path) + " is not a whole zone file: " + why);
        return Found::kRefused;
    }
    zone = zone_model(data);
    return Found::kRead;
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

// "at UTC", "5:30 hours ahead of UTC", "1 hour behind UTC".
std::string place(std::int32_t east, const char* reference)
{
    if (east == 0)
        return std::string("at ") + reference;
    return hours(east) + (east > 0 ? " ahead of " : " behind ") + reference;
}

// The rule that means `east`, named for it: <+0530>-5:30.
std::string rule_for(std::int32_t east)
{
    const std::int32_t a = east < 0 ? -east : east;
    char text[64];
    if (a % 3600 == 0)
        std::snprintf(text, sizeof text, "<%c%02d>%c%d", east < 0 ? '-' : '+', a / 3600, east < 0 ? '+' : '-', a / 3600);
    else
        std::snprintf(text, sizeof text, "<%c%02d%02d>%c%d:%02d", east < 0 ? '-' : '+', a / 3600, a / 60 % 60,
                      east < 0 ? '+' : '-', a / 3600, a / 60 % 60);
    return text;
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
    return true;
}

// Why a rule's name contradicts its offset, or empty: a zone named UTC
// lies at UTC, and one named +0530 at 5:30 hours ahead of it.
std::string contradiction(const TzRule& rule)
{
    const char* const utc_names[] = {"UTC", "GMT", "UT", "Z", "UCT"};
    const std::int32_t e = rule.std_east;
    for (const char* utc : utc_names)
        if (same_letters(rule.std_name, utc) && e != 0)
            return "a zone named " + rule.std_name + " lies at UTC, but this rule puts it " + place(e, "it") +
                   " (offsets in TZ count west); for " + hours(e) + (e > 0 ? " behind" : " ahead") + " write TZ='" +
                   rule_for(-e) + "'";
    const struct {
        const std::string& name;
        std::int32_t east;
    } names[] = {{rule.std_name, rule.std_east}, {rule.dst_name, rule.dst_east}};
    for (const auto& n : names) {
        std::int32_t stated = 0;
        if (numeric_name(n.name, stated) && stated != n.east)
            return "a zone named " + n.name + " lies " + place(stated, "UTC") + ", but this rule puts it " +
                   place(n.east, "it") + " (offsets in TZ count west); " +
                   (stated == 0 ? std::string("for UTC write TZ=UTC0")
                                : "for " + hours(stated) + (stated > 0 ? " ahead" : " behind") + " write TZ='" +
                                      rule_for(stated) + "'");
    }
    return std::string();
}

// The zone names the zone folder lists (tzdata.zi, else zone1970.tab).
std::vector<std::string> listed_zones(const std::string& folder)
{
    std::vector<std::string> names;
    for (const char* list : {"tzdata.zi", "zone1970.tab", "zone.tab"}) {
        const SmallFile file = read_small_file((folder + "/" + list).c_str(), bytes, sizeof bytes - 1);
        if (file.outcome != SmallFile::kRead)
            continue;
        const std::size_t size = file.size < sizeof bytes ? static_cast<std::size_t>(file.size) : sizeof bytes - 1;
        const std::string text(reinterpret_cast<const char*>(bytes), size);
        const bool zi = std::strcmp(list, "tzdata.zi") == 0;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            end = end == std::string::npos ? text.size() : end;
            std::vector<std::string> words;
            for (std::size_t w = at; w < end;) {
                const std::size_t stop = text.find_first_of(" \t\n", w);
                const std::size_t to = stop == std::string::npos || stop > end ? end : stop;
                if (to > w)
                    words.push_back(text.substr(w, to - w));
                w = to + 1;
            }
            // tzdata.zi: "Z name ..." and "L target name"; the tables: "CC coordinates name ...".
            if (zi && words.size() >= 2 && words[0] == "Z")
                names.push_back(words[1]);
            else if (zi && words.size() >= 3 && words[0] == "L")
                names.push_back(words[2]);
            else if (!zi && words.size() >= 3 && words[0][0] != '#')
                names.push_back(words[2]);
            at = end + 1;
        }
        if (!names.empty())
            break;
    }
    return names;
}

// Why a name that is neither a zone here nor a rule is refused, with the
// zones it most likely meant.
std::string no_such_zone(const std::string& name, const std::string& folder)
{
    const std::size_t slash = name.rfind('/');
    const std::string last = name.substr(slash == std::string::npos ? 0 : slash + 1);
    std::vector<std::string> like;
    for (const std::string& zone : listed_zones(folder)) {
        const std::size_t s = zone.rfind('/');
        if (same_letters(zone, name) || same_letters(zone.substr(s == std::string::npos ? 0 : s + 1), last))
            like.push_back(zone);
    }
    if (!like.empty()) {
        std::string list = like[0];
        for (std::size_t i = 1; i < like.size() && i < 4; ++i)
            list += (i + 1 == like.size() || i == 3 ? " or " : ", ") + like[i];
        return "this system has no such time zone; it has " + list;
    }
    if (name.size() >= 2 && name.size() <= 6 && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos)
        return "an abbreviation names no zone (several zones share some); name the zone, for example"
               " Europe/Berlin or Asia/Kolkata (zone files are in " + folder + "), or give a rule, for example " +
               kRuleExample;
    return "this system has no such time zone (zone files are looked for in " + folder + "; a rule reads like " +
           kRuleExample + "); unset TZ for the system's time zone";
}

// Reads TZ as the C library documents it: unset, the system's zone file;
// empty, UTC; else a zone file's name or path, or a rule.
const char* read_settings(const TzSystem& system, ZoneModel& zone, Source& source)
{
    TzRule utc;
    parse_tz_rule("UTC0", utc);
    const char* tz = std::getenv("TZ");
    const char* refusal = nullptr;
    if (tz == nullptr) {
        source = {"TZ unset", system.system_zone};
        if (read_zone(system.system_zone, source, zone, refusal) != Found::kMissing)
            return refusal;
        // No zone set up: UTC, unless a link names a zone that is not installed.
        char target[4096];
        const char* const utc_names[] = {"UTC", "UCT", "Universal", "Zulu", "GMT", "GMT0", "Greenwich"};
        if (read_link(system.system_zone, target, sizeof target)) {
            const char* slash = std::strrchr(target, '/');
            const char* base = slash != nullptr ? slash + 1 : target;
            bool names_utc = false;
            for (const char* u : utc_names)
                names_utc = names_utc || std::strcmp(base, u) == 0;
            if (!names_utc)
                return refuse(source.setting, std::string(system.system_zone) + " links to " + target +
                                                  ", which is not there: install the time-zone data or set TZ");
        }
        zone = zone_model(utc);
        return nullptr;
    }
    source = {"TZ=" + std::string(tz), "the rule"};
    const std::string name = tz[0] == ':' ? tz + 1 : tz;
    if (name.empty()) {
        zone = zone_model(utc);
        return nullptr;
    }
    const std::size_t comma = name.find(',');
    const bool file_first = system.names_files_first || tz[0] == ':' || name.find('/') < comma;
    const std::string path = name[0] == '/' ? name : std::string(system.zone_folder) + "/" + name;
    if (file_first && path.size() < 4096) {
        source.what = path;
        const Found found = read_zone(path.c_str(), source, zone, refusal);
        if (found != Found::kMissing)
            return refusal;
        source.what = "the rule";
    }
    if (name == "UTC" || name == "GMT") {
        zone = zone_model(utc);  // what every library falls back to anyway
        return nullptr;
    }
    TzRule rule;
    if (!parse_tz_rule(name.c_str(), rule))
        return refuse(source.setting, no_such_zone(name, system.zone_folder));
    if (!rule.dst_name.empty() && !rule.has_dates)
        return refuse(source.setting,
                      "a summer-time name without its dates gets another zone's dates here; name the zone (for "
                      "example Europe/Berlin) or give the whole rule (for example " + std::string(kRuleExample) + ")");
    const std::string why = contradiction(rule);
    if (!why.empty())
        return refuse(source.setting, why);
    zone = zone_model(rule);
    return nullptr;
}

// "2026-01-01 00:00:00 UTC"
std::string utc_text(std::int64_t t)
{
    const std::int64_t day = floor_div(t, kSecondsPerDay);
    const Civil c = civil_from_days(day);
    const int s = static_cast<int>(t - day * kSecondsPerDay);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d UTC", static_cast<long long>(c.year), c.month,
                  c.day, s / 3600, s / 60 % 60, s % 60);
    return text;
}

// Asks the platform at every instant where either reading could change:
// a second before and at each change the zone's data names, each leap
// second, each UTC new year (where a library works out a year's changes),
// and the ends of the stamps' range and of a 32-bit time_t.
const char* check_with_platform(const ZoneModel& zone, const Source& source)
{
    std::vector<std::int64_t> instants = zone.instants;
    for (std::int64_t year = 1971; year <= 2106; ++year)
        instants.push_back(days_from_civil(year, 1, 1) * kSecondsPerDay);
    instants.insert(instants.end(), {0, 0x7FFFFFFF, 0x80000000, kLastStamp});
    std::sort(instants.begin(), instants.end());  // the first difference is the one said
    LocalTimeText times(zone);
    for (std::int64_t instant : instants) {
        for (std::int64_t t = instant - 1; t <= instant; ++t) {
            if (t < 0 || t > kLastStamp)
                continue;
            char ours[kTimeWidth], theirs[kTimeWidth];
            times.format(static_cast<std::uint32_t>(t), ours);
            platform_text(t, theirs);
            if (std::memcmp(ours, theirs, kTimeWidth) != 0)
                return refuse(source.setting, "the C library reads " + utc_text(t) + " as " +
                                                  std::string(theirs, kTimeWidth) + ", " + source.what + " as " +
                                                  std::string(ours, kTimeWidth) +
                                                  "; its times would not be this system's, so name a zone"
                                                  " (for example Europe/Berlin) or give a rule it reads alike");
        }
    }
    return nullptr;
}

}  // namespace

const char* load_time_zone(ZoneModel& zone)
{
    const TzSystem system = tz_system();
    if (system.grammar == TzSystem::kWindows) {
        // The runtime takes the system's zone from the system, and a TZ
        // value by its own short grammar; every stamp is asked of it.
        zone = ZoneModel();
        zone.ask_platform = true;
        read_time_zone();
        const char* tz = std::getenv("TZ");
        if (tz == nullptr || std::strcmp(tz, "UTC") == 0 || std::strcmp(tz, "GMT") == 0)
            return nullptr;
        switch (windows_tz_form(tz)) {
        case TzForm::kAsWritten:
            return nullptr;
        case TzForm::kOtherZonesDates:
            return refuse("TZ=" + std::string(tz),
                          "this system gives every summer-time name the United States' dates, which only the zones "
                          "5 to 10 hours west of UTC keep (EST5EDT to PST8PDT, Alaska, Hawaii-Aleutian); unset TZ for "
                          "the system's time zone with its own rules, or give a fixed offset such as CET-1");
        case TzForm::kMisread:
            break;
        }
        return refuse("TZ=" + std::string(tz),
                      "this system reads TZ only as a three-letter name, the hours west of UTC as [+|-]hh[:mm[:ss]] "
                      "and an optional summer-time name with United States rules, for example UTC0, CET-1 or "
                      "EST5EDT; unset TZ for the system's time zone with its own rules");
    }
    Source source;
    if (const char* refusal = read_settings(system, zone, source))
        return refusal;
    // Only now does the platform see the settings: a file it could not
    // read safely has been refused already.
    read_time_zone();
    return check_with_platform(zone, source);
}

}  // namespace adconv

// The run's time zone: TZ read as the C library documents it, the zone file
// or rule it names read into one model, and that model checked against the
// C library. What a refusal says is worked out in zone_refusal.cpp.
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
#include "zone_names.h"
#include "zone_refusal.h"

namespace adconv {

namespace {

// How a refusal names the settings, and what they led to.
struct Source {
    std::string setting;  // "TZ=VALUE" or "TZ unset"
    std::string what;     // "the rule", or the zone file's path
};

// Zone files are a few KiB; this holds every one in the time-zone database many times over.
unsigned char bytes[1 << 20];

// kNotOpened: the file could not be opened otherwise than for not being there.
enum class Found { kRead, kMissing, kNotOpened, kRefused };

// Reads the zone file at `path` into `zone`.
Found read_zone(const char* path, const Source& source, ZoneModel& zone, const char*& refusal)
{
    const SmallFile file = read_small_file(path, bytes, sizeof bytes);
    if (file.outcome == SmallFile::kFailed && (file.error == ENOENT || file.error == ENOTDIR))
        return Found::kMissing;
    if (file.outcome == SmallFile::kNotRegular)
        refusal = refuse(source.setting, std::string(path) + " is not a regular file, so no zone can be loaded from it");
    else if (file.outcome == SmallFile::kFailed) {
        refusal = refuse(source.setting, std::string(path) + ": " + std::strerror(file.error));
        return Found::kNotOpened;
    }
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

ZoneModel utc_model()
{
    return zone_model(TzRule());  // no names, no offset
}

// The system's zone, read when TZ is unset (or names it, and it is not
// there): with no zone set up, UTC, unless a link names a zone that is not
// installed.
const char* read_system_zone(const TzSystem& system, const Source& source, ZoneModel& zone)
{
    const char* refusal = nullptr;
    if (read_zone(system.system_zone, source, zone, refusal) != Found::kMissing)
        return refusal;
    char target[4096];
    if (read_link(system.system_zone, target, sizeof target)) {
        const char* slash = std::strrchr(target, '/');
        if (!is_utc_name(slash != nullptr ? slash + 1 : target))
            return refuse(source.setting, std::string(system.system_zone) + " links to " + target +
                                              ", which is not there: install the time-zone data or set TZ");
    }
    zone = utc_model();
    return nullptr;
}

// Reads TZ as the C library documents it: unset, the system's zone file;
// empty, UTC; else a zone file's name or path, or a rule.
const char* read_settings(const TzSystem& system, ZoneModel& zone, Source& source)
{
    const char* tz = std::getenv("TZ");
    if (tz == nullptr) {
        source = {"TZ unset", system.system_zone};
        return read_system_zone(system, source, zone);
    }
    source = {"TZ=" + std::string(tz), "the rule"};
    const std::string name = tz[0] == ':' ? tz + 1 : tz;
    if (name.empty()) {
        zone = utc_model();
        return nullptr;
    }
    const std::size_t comma = name.find(',');
    const bool file_first = system.names_files_first || tz[0] == ':' || name.find('/') < comma;
    const std::string path = name[0] == '/' ? name : std::string(system.zone_folder) + "/" + name;
    // A lookup that fails (no such file, a name too long, a folder that
    // cannot be searched) leaves the value to be read as a rule, as the C
    // library does; only where it is none is the failure said.
    const char* lookup_failed = nullptr;
    if (file_first && path.size() < 4096) {
        source.what = path;
        if (path == system.system_zone)
            return read_system_zone(system, source, zone);
        switch (read_zone(path.c_str(), source, zone, lookup_failed)) {
        case Found::kRead:
            return nullptr;
        case Found::kRefused:
            return lookup_failed;
        case Found::kMissing:
        case Found::kNotOpened:
            break;
        }
        source.what = "the rule";
    }
    if (name == "UTC" || name == "GMT") {
        zone = utc_model();  // what every library falls back to anyway
        return nullptr;
    }
    TzRule rule;
    if (!parse_tz_rule(name.c_str(), rule))
        return lookup_failed != nullptr ? lookup_failed : refuse(source.setting, no_such_zone(name, system));
    if (!rule.dst_name.empty() && !rule.has_dates)
        return refuse(source.setting,
                      "a summer-time name without its dates gets another zone's dates here; name the zone (for "
                      "example Europe/Berlin) or give the whole rule (for example " + std::string(kRuleExample) + ")");
    const std::string why = contradiction(rule, name, system);
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
    return load_time_zone(zone, tz_system());
}

const char* load_time_zone(ZoneModel& zone, const TzSystem& system)
{
    if (system.runtime_form != nullptr) {
        // The runtime takes the system's zone from the system, and a TZ
        // value by its own short grammar; every stamp is asked of it.
        zone = ZoneModel();
        zone.ask_platform = true;
        read_time_zone();
        const char* tz = std::getenv("TZ");
        if (tz == nullptr || std::strcmp(tz, "UTC") == 0 || std::strcmp(tz, "GMT") == 0)
            return nullptr;
        TzRule rule;
        const TzForm form = system.runtime_form(tz, &rule);
        std::string why = form == TzForm::kMisread ? std::string() : contradiction(rule, tz, system);
        if (why.empty())
            why = runtime_form_why(form);
        return why.empty() ? nullptr : refuse("TZ=" + std::string(tz), why);
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

#include "time_zone.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"

namespace adconv {

namespace {

bool is_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Each read_ and skip_ function returns what follows its part, or nullptr
// where the part is not there.

// A number of one to `digits` digits, from `min` to `max`.
const char* read_number(const char* p, int digits, int min, int max, int& value)
{
    value = 0;
    const char* start = p;
    while (is_digit(*p) && p - start < digits)
        value = value * 10 + (*p++ - '0');
    return p != start && !is_digit(*p) && value >= min && value <= max ? p : nullptr;
}

// [+|-]hh[:mm[:ss]], hours up to max_hours; `seconds` gets its signed value.
const char* read_clock(const char* p, int max_hours, long& seconds)
{
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    int part = 0;
    p = read_number(p, 3, 0, max_hours, part);
    seconds = part * 3600L;
    for (long unit = 60; unit > 0 && p != nullptr && *p == ':'; unit /= 60) {
        p = read_number(p + 1, 2, 0, 59, part);
        seconds += part * unit;
    }
    if (negative)
        seconds = -seconds;
    return p;
}

// Three or more letters, or <...> around three or more letters, digits
// and signs.
const char* skip_zone_name(const char* p)
{
    const char* start = p;
    if (*p == '<') {
        start = ++p;
        while (is_letter(*p) || is_digit(*p) || *p == '+' || *p == '-')
            ++p;
        return p - start >= 3 && *p == '>' ? p + 1 : nullptr;
    }
    while (is_letter(*p))
        ++p;
    return p - start >= 3 ? p : nullptr;
}

// Jn (1-365), n (0-365) or Mm.w.d (1-12, 1-5, 0-6), then an optional /time.
const char* skip_rule_date(const char* p)
{
    int value = 0;
    if (*p == 'J') {
        p = read_number(p + 1, 3, 1, 365, value);
    } else if (*p == 'M') {
        p = read_number(p + 1, 2, 1, 12, value);
        p = p != nullptr && *p == '.' ? read_number(p + 1, 1, 1, 5, value) : nullptr;
        p = p != nullptr && *p == '.' ? read_number(p + 1, 1, 0, 6, value) : nullptr;
    } else {
        p = read_number(p, 3, 0, 365, value);
    }
    long seconds = 0;
    if (p != nullptr && *p == '/')
        p = read_clock(p + 1, 167, seconds);
    return p;
}

// Nothing, or a bare UTC or GMT: what every library falls back to anyway.
bool is_plain_utc(const char* name)
{
    return *name == '\0' || std::strcmp(name, "UTC") == 0 || std::strcmp(name, "GMT") == 0;
}

std::uint32_t be32(const unsigned char* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The line's buffer: the value or a path, and the longest reason.
char line[8192];

const char* refuse(const char* prefix, const char* value, const char* reason, const char* detail = "")
{
    std::snprintf(line, sizeof line, "%s%s: %s%s", prefix, value, detail, reason);
    return line;
}

constexpr char kNoSuchZone[] =
    "this system has no such time zone (zone files are looked for in %s; a rule reads like"
    " CET-1CEST,M3.5.0,M10.5.0/3); unset TZ for the system's time zone";
constexpr char kPosixOtherDates[] =
    "a summer-time name without its dates gets another zone's dates here; name the zone (for example"
    " Europe/Berlin) or give the whole rule (for example CET-1CEST,M3.5.0,M10.5.0/3)";
constexpr char kNotRegular[] = " is not a regular file, so no zone can be loaded from it";
constexpr char kNotWhole[] = " is not a whole zone file, which the C library would read as UTC";
constexpr char kWindowsMisread[] =
    "this system reads TZ only as a three-letter name, the hours west of UTC as [+|-]hh[:mm[:ss]] and an "
    "optional summer-time name with United States rules, for example UTC0, CET-1 or EST5EDT;"
    " unset TZ for the system's time zone with its own rules";
constexpr char kWindowsOtherDates[] =
    "this system gives every summer-time name the United States' dates, which only the zones 5 to 10 hours"
    " west of UTC keep (EST5EDT to PST8PDT, Alaska, Hawaii-Aleutian); unset TZ for the system's time zone with"
    " its own rules, or give a fixed offset such as CET-1";

// Whether `path` names a zone file the C library loads whole; a refusal
// line where it names one it cannot, with `prefix` and `value` before it.
// nullptr with `missing` set where there is no such file.
const char* zone_file_refusal(const char* path, const char* prefix, const char* value, bool& missing)
{
    // Zone files are a few KiB; this holds every one in the time-zone database many times over.
    static unsigned char bytes[1 << 20];
    const SmallFile file = read_small_file(path, bytes, sizeof bytes);
    missing = file.outcome == SmallFile::kFailed && (file.error == ENOENT || file.error == ENOTDIR);
    if (file.outcome == SmallFile::kNotRegular)
        return refuse(prefix, value, kNotRegular, path);
    if (file.outcome == SmallFile::kFailed) {
        if (missing)
            return nullptr;
        char reason[600];
        std::snprintf(reason, sizeof reason, ": %s", std::strerror(file.error));
        return refuse(prefix, value, reason, path);
    }
    const std::size_t size = file.size < sizeof bytes ? static_cast<std::size_t>(file.size) : sizeof bytes;
    return is_whole_zone_file(bytes, size) ? nullptr : refuse(prefix, value, kNotWhole, path);
}

// The C library takes TZ (less a leading ':') as a zone file's name first,
// then as a POSIX rule.
const char* posix_refusal(const char* tz, const TzSystem& system)
{
    bool missing = false;
    if (tz == nullptr)  // the system's zone, or UTC where it has none
        return zone_file_refusal(system.system_zone, "TZ unset", "", missing);
    const char* name = *tz == ':' ? tz + 1 : tz;
    if (is_plain_utc(name))
        return nullptr;
    char path[4096];
    const int n = *name == '/' ? std::snprintf(path, sizeof path, "%s", name)
                               : std::snprintf(path, sizeof path, "%s/%s", system.zone_folder, name);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof path)
        missing = true;
    else if (const char* refusal = zone_file_refusal(path, "TZ=", tz, missing))
        return refusal;
    if (!missing)
        return nullptr;  // a zone file, loaded whole
    const TzForm form = posix_tz_form(name);
    if (form == TzForm::kAsWritten)
        return nullptr;
    if (form == TzForm::kOtherZonesDates)
        return refuse("TZ=", tz, kPosixOtherDates);
    char reason[sizeof kNoSuchZone + 4096];
    std::snprintf(reason, sizeof reason, kNoSuchZone, system.zone_folder);
    return refuse("TZ=", tz, reason);
}

}  // namespace

TzForm posix_tz_form(const char* p)
{
    long seconds = 0;
    p = skip_zone_name(p);
    p = p != nullptr ? read_clock(p, 24, seconds) : nullptr;
    if (p == nullptr || *p == '\0')
        return p != nullptr ? TzForm::kAsWritten : TzForm::kMisread;
    p = skip_zone_name(p);
    if (p != nullptr && *p != ',' && *p != '\0')
        p = read_clock(p, 24, seconds);
    if (p == nullptr)
        return TzForm::kMisread;
    if (*p == '\0' || (p[0] == ',' && p[1] == '\0'))
        return TzForm::kOtherZonesDates;
    if (*p++ != ',' || (p = skip_rule_date(p)) == nullptr || *p++ != ',')
        return TzForm::kMisread;
    p = skip_rule_date(p);
    return p != nullptr && *p == '\0' ? TzForm::kAsWritten : TzForm::kMisread;
}

TzForm windows_tz_form(const char* p)
{
    for (int i = 0; i < 3; ++i)
        if (!is_letter(*p++))
            return TzForm::kMisread;
    long west = 0;
    p = read_clock(p, 99, west);
    if (p == nullptr)
        return TzForm::kMisread;
    const char* summer = p;
    while (is_letter(*p))
        ++p;
    if (*p != '\0')
        return TzForm::kMisread;
    // Eastern (5 hours west) to Pacific (8), Alaska (9), Hawaii-Aleutian (10).
    const bool united_states = west % 3600 == 0 && west >= 5 * 3600 && west <= 10 * 3600;
    return *summer == '\0' || united_states ? TzForm::kAsWritten : TzForm::kOtherZonesDates;
}

bool is_whole_zone_file(const unsigned char* bytes, std::size_t size)
{
    // A header of 44 bytes (the magic, a version, 15 unused bytes and six
    // counts), then the data it counts: times of 4 bytes in the first
    // part; from version 2 on, a second header and part with times of 8,
    // and a rule.
    std::size_t at = 0;
    for (std::uint64_t time_size = 4; time_size <= 8; time_size += 4) {
        if (size - at < 44 || std::memcmp(bytes + at, "TZif", 4) != 0)
            return false;
        const unsigned char* c = bytes + at + 20;
        const std::uint64_t utc_flags = be32(c), std_flags = be32(c + 4), leaps = be32(c + 8),
                            times = be32(c + 12), types = be32(c + 16), chars = be32(c + 20);
        const std::uint64_t data = times * (time_size + 1) + types * 6 + chars + leaps * (time_size + 4) +
                                   std_flags + utc_flags;
        at += 44;
        if (data > size - at)
            return false;
        at += static_cast<std::size_t>(data);
        if (bytes[4] == '\0')
            return true;  // version 1 has one part only
    }
    // Then the rule for the times after the last change, between two line
    // feeds: without them the C library loads nothing, and from part of
    // the rule it would make another one.
    if (size - at < 2 || bytes[at] != '\n' || bytes[size - 1] != '\n')
        return false;
    char rule[256];
    const std::size_t length = size - at - 2;
    if (length >= sizeof rule)
        return false;
    std::memcpy(rule, bytes + at + 1, length);
    rule[length] = '\0';
    return length == 0 || posix_tz_form(rule) == TzForm::kAsWritten;
}

const char* time_zone_refusal()
{
    const TzSystem system = tz_system();
    const char* tz = std::getenv("TZ");
    switch (system.grammar) {
    case TzSystem::kPosix:
        return posix_refusal(tz, system);
    case TzSystem::kWindows:
        if (tz == nullptr || is_plain_utc(tz))
            return nullptr;
        switch (windows_tz_form(tz)) {
        case TzForm::kAsWritten:
            return nullptr;
        case TzForm::kOtherZonesDates:
            return refuse("TZ=", tz, kWindowsOtherDates);
        case TzForm::kMisread:
            return refuse("TZ=", tz, kWindowsMisread);
        }
        return nullptr;
    case TzSystem::kUnknown:
        break;
    }
    return nullptr;
}

}  // namespace adconv

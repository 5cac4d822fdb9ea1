// Reading a POSIX TZ rule, and the stamps of its changes in a year.
#include "tz_rule.h"

#include "calendar.h"

namespace adconv {

bool is_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Each read_ function returns what follows its part, or nullptr where the
// part is not there.

// Digits, leading zeros allowed, for a value from `min` to `max`.
const char* read_number(const char* p, int min, int max, int& value)
{
    const char* start = p;
    long long v = 0;
    while (is_digit(*p)) {
        v = v * 10 + (*p++ - '0');
        if (v > max)
            return nullptr;
    }
    value = static_cast<int>(v);
    return p != start && v >= min ? p : nullptr;
}

// Three or more letters, or <...> around three or more letters, digits
// and signs.
const char* read_name(const char* p, std::string& name)
{
    const bool quoted = *p == '<';
    const char* start = p + quoted;
    p = start;
    while (is_letter(*p) || (quoted && (is_digit(*p) || *p == '+' || *p == '-')))
        ++p;
    if (p - start < 3 || (quoted && *p != '>'))
        return nullptr;
    name.assign(start, p);
    return p + quoted;
}

const char* read_date(const char* p, RuleDate& date)
{
    if (*p == 'J') {
        date.kind = RuleDate::kJulian;
        p = read_number(p + 1, 1, 365, date.day);
    } else if (*p == 'M') {
        date.kind = RuleDate::kMonthWeekDay;
        p = read_number(p + 1, 1, 12, date.month);
        p = p != nullptr && *p == '.' ? read_number(p + 1, 1, 5, date.week) : nullptr;
        p = p != nullptr && *p == '.' ? read_number(p + 1, 0, 6, date.day) : nullptr;
    } else {
        date.kind = RuleDate::kZeroBased;
        p = read_number(p, 0, 365, date.day);
    }
    date.time = 7200;
    if (p != nullptr && *p == '/')
        p = read_clock(p + 1, 167, date.time);
    return p;
}

// The local day, in days since 1970-01-01, on which `date` falls in `year`.
std::int64_t day_of(const RuleDate& date, std::int64_t year)
{
    const std::int64_t january_1 = days_from_civil(year, 1, 1);
    switch (date.kind) {
    case RuleDate::kJulian:
        return january_1 + date.day - 1 + (is_leap_year(year) && date.day >= 60);
    case RuleDate::kZeroBased:
        return january_1 + date.day;
    case RuleDate::kMonthWeekDay:
        break;
    }
    const unsigned month = static_cast<unsigned>(date.month);
    const std::int64_t first = days_from_civil(year, month, 1);
    const std::int64_t next = month == 12 ? days_from_civil(year + 1, 1, 1) : days_from_civil(year, month + 1, 1);
    std::int64_t day = first + (date.day - weekday(first) + 7) % 7 + 7 * (date.week - 1);
    while (day >= next)
        day -= 7;  // week 5: the last such day of the month
    return day;
}

}  // namespace

const char* read_clock(const char* p, int max_hours, std::int32_t& seconds)
{
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    int part = 0;
    p = read_number(p, 0, max_hours, part);
    seconds = part * 3600;
    for (int unit = 60; unit > 0 && p != nullptr && *p == ':'; unit /= 60) {
        p = read_number(p + 1, 0, 59, part);
        seconds += part * unit;
    }
    if (negative)
        seconds = -seconds;
    return p;
}

bool parse_tz_rule(const char* p, TzRule& rule)
{
    rule = TzRule();
    std::int32_t west = 0;
    p = read_name(p, rule.std_name);
    p = p != nullptr ? read_clock(p, 24, west) : nullptr;
    if (p == nullptr)
        return false;
    rule.std_east = -west;
    if (*p == '\0')
        return true;
    p = read_name(p, rule.dst_name);
    if (p == nullptr)
        return false;
    rule.dst_east = rule.std_east + 3600;
    if (*p != ',' && *p != '\0') {
        p = read_clock(p, 24, west);
        if (p == nullptr)
            return false;
        rule.dst_east = -west;
    }
    if (*p == '\0' || (p[0] == ',' && p[1] == '\0'))
        return true;  // summer time without its dates
    p = *p == ',' ? read_date(p + 1, rule.start) : nullptr;
    p = p != nullptr && *p == ',' ? read_date(p + 1, rule.end) : nullptr;
    rule.has_dates = p != nullptr && *p == '\0';
    return rule.has_dates;
}

std::int64_t rule_change(const TzRule& rule, std::int64_t year, bool to_summer)
{
    const RuleDate& date = to_summer ? rule.start : rule.end;
    // The change's time is read on the clock that is about to change.
    const std::int32_t east = to_summer ? rule.std_east : rule.dst_east;
    return day_of(date, year) * kSecondsPerDay + date.time - east;
}

std::string turned_rule(const char* p)
{
    std::string turned, name;
    for (int part = 0; part < 2; ++part) {
        const char* q = read_name(p, name);
        if (q == nullptr)
            return std::string();
        turned.append(p, q);
        p = q;
        if (part == 1 && (*p == ',' || *p == '\0'))
            break;  // summer time an hour ahead of standard time, which turns with it
        std::int32_t west = 0;
        q = read_clock(p, 24, west);
        if (q == nullptr)
            return std::string();
        if (west != 0)
            turned += west > 0 ? "-" : "";
        turned.append(p + (*p == '+' || *p == '-'), q);
        p = q;
        if (*p == '\0')
            break;
    }
    return turned + p;
}

}  // namespace adconv

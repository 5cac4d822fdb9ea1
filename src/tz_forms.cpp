#include "tz_forms.h"

#include <cstring>

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

// Each skip_ function returns what follows its part, or nullptr where the
// part is not there.

// A number of at most `digits` digits, no greater than `max`.
const char* skip_number(const char* p, int digits, int max)
{
    int value = 0;
    const char* start = p;
    while (is_digit(*p) && p - start < digits)
        value = value * 10 + (*p++ - '0');
    return p != start && !is_digit(*p) && value <= max ? p : nullptr;
}

// [+|-]hh[:mm[:ss]], hours up to max_hours.
const char* skip_clock(const char* p, int max_hours)
{
    if (*p == '+' || *p == '-')
        ++p;
    p = skip_number(p, 3, max_hours);
    for (int part = 0; part < 2 && p != nullptr && *p == ':'; ++part)
        p = skip_number(p + 1, 2, 59);
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

// Jn (1..365), n (0..365) or Mm.w.d, then an optional /time.
const char* skip_rule_date(const char* p)
{
    if (*p == 'J') {
        p = *++p != '0' ? skip_number(p, 3, 365) : nullptr;
    } else if (*p == 'M') {
        p = skip_number(p + 1, 2, 12);
        if (p != nullptr && *p == '.')
            p = skip_number(p + 1, 1, 5);
        if (p != nullptr && *p == '.')
            p = skip_number(p + 1, 1, 6);
        else
            p = nullptr;
    } else {
        p = skip_number(p, 3, 365);
    }
    if (p != nullptr && *p == '/')
        p = skip_clock(p + 1, 167);
    return p;
}

}  // namespace

bool is_posix_tz_rule(const char* p)
{
    p = skip_zone_name(p);
    p = p != nullptr ? skip_clock(p, 24) : nullptr;
    if (p == nullptr || *p == '\0')
        return p != nullptr;
    p = skip_zone_name(p);
    if (p != nullptr && *p != ',' && *p != '\0')
        p = skip_clock(p, 24);
    if (p == nullptr || *p == '\0')
        return p != nullptr;
    if (*p++ != ',' || (p = skip_rule_date(p)) == nullptr || *p++ != ',')
        return false;
    p = skip_rule_date(p);
    return p != nullptr && *p == '\0';
}

bool is_windows_tz_form(const char* p)
{
    if (std::strcmp(p, "UTC") == 0 || std::strcmp(p, "GMT") == 0)
        return true;
    for (int i = 0; i < 3; ++i)
        if (!is_letter(*p++))
            return false;
    p = skip_clock(p, 99);
    if (p == nullptr)
        return false;
    while (is_letter(*p))  // the summer-time name
        ++p;
    return *p == '\0';
}

}  // namespace adconv

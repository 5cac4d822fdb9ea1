// Days and dates in the proleptic Gregorian calendar, in plain arithmetic,
// for every year a 32-bit stamp or a zone's rule can reach.
#ifndef ADCONV_CALENDAR_H
#define ADCONV_CALENDAR_H

#include <cstdint>

namespace adconv {

constexpr std::int64_t kSecondsPerDay = 86400;

inline std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Days from 1970-01-01, and back: Howard Hinnant's public algorithms
// days_from_civil and civil_from_days ("chrono-Compatible Low-Level Date
// Algorithms"). They count years from March, so the leap day ends a year:
// 146097 days make a 400-year era, 153 days the five months March to July
// (the month lengths repeat in five-month cycles, whence (153 * month + 2)
// / 5), and 719468 days lie from 0000-03-01 to 1970-01-01.
inline std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;  // 1-12
    unsigned day;    // 1-31
};

inline Civil civil_from_days(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const unsigned d = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
    const unsigned m = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

inline bool is_leap_year(std::int64_t y)
{
    return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

// 0 for Sunday to 6 for Saturday; 1970-01-01 was a Thursday.
inline int weekday(std::int64_t days)
{
    return static_cast<int>(days + 4 - floor_div(days + 4, 7) * 7);
}

}  // namespace adconv

#endif

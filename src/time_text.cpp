#include "time_text.h"

#include <cstring>

#include "platform.h"

namespace adconv {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// A span's offset is confirmed by converting a stamp this far ahead (or
// back): the offset there being the same is taken to mean it held all the
// way. That holds unless the zone changes its offset and back again within
// this step; the shortest such excursion in the time-zone database lasts
// days, so only a rule string written to do it could.
constexpr std::int64_t kProbeStep = 60;

constexpr char kTwoDigits[] =
    "0001020304050607080910111213141516171819"
    "2021222324252627282930313233343536373839"
    "4041424344454647484950515253545556575859"
    "6061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Two digits of a value in 0..99.
void put2(char* out, int value)
{
    std::memcpy(out, kTwoDigits + 2 * value, 2);
}

void put4(char* out, int value)
{
    put2(out, value / 100);
    put2(out + 2, value % 100);
}

// Days from 1970-01-01 in the proleptic Gregorian calendar, and back: Howard
// Hinnant's public algorithms days_from_civil and civil_from_days
// ("chrono-Compatible Low-Level Date Algorithms"). They count years from
// March, so the leap day ends a year: 146097 days make a 400-year era, 153
// days the five months March to July (the month lengths repeat in five-month
// cycles, whence (153 * month + 2) / 5), and 719468 days lie from
// 0000-03-01 to 1970-01-01.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
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
    unsigned month;
    unsigned day;
};

Civil civil_from_days(std::int64_t z)
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

std::int64_t floor_div(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Local seconds since 1970-01-01 00:00:00 as the fields read them.
std::int64_t local_seconds(const std::tm& f)
{
    return days_from_civil(f.tm_year + std::int64_t{1900}, static_cast<unsigned>(f.tm_mon + 1),
                           static_cast<unsigned>(f.tm_mday)) *
               kSecondsPerDay +
           f.tm_hour * 3600 + f.tm_min * 60 + f.tm_sec;
}

// A zone whose data counts leap seconds shows 23:59:60 and shifts its
// offset by a second at each one; even its UTC differs from plain
// arithmetic. Such a zone gets every stamp converted on its own. (The
// Windows runtime never counts leap seconds, so there the cache is used.)
bool utc_is_plain()
{
    const std::int64_t t = 1500000000;  // 27 leap seconds after 1972
    std::tm f{};
    return utc_fields(t, f) && local_seconds(f) == t;
}

}  // namespace

bool format_calendar(const std::tm& f, char* out)
{
    const long year = f.tm_year + 1900L;
    if (year < 0 || year > 9999)
        return false;
    put2(out, f.tm_mon + 1);
    out[2] = '/';
    put2(out + 3, f.tm_mday);
    out[5] = '/';
    if (year >= 1000) {
        put4(out + 6, static_cast<int>(year));
    } else {
        // "%4d" pads short years with spaces, not zeros.
        char digits[4] = {' ', ' ', ' ', ' '};
        long y = year;
        int i = 3;
        do {
            digits[i--] = static_cast<char>('0' + y % 10);
            y /= 10;
        } while (y != 0);
        std::memcpy(out + 6, digits, 4);
    }
    out[10] = ' ';
    put2(out + 11, f.tm_hour);
    out[13] = ':';
    put2(out + 14, f.tm_min);
    out[16] = ':';
    put2(out + 17, f.tm_sec);
    return true;
}

LocalTimeText::LocalTimeText() : offsets_usable_(utc_is_plain()) {}

void LocalTimeText::format_general(std::int64_t t, char* out)
{
    if (!have_span_) {
        ask_platform(t, out);
    } else if (t >= lo_ && t <= hi_) {
        text_from_offset(t, out);
    } else if (t > hi_ && t - hi_ <= kProbeStep && has_span_offset(hi_ + kProbeStep)) {
        hi_ += kProbeStep;
        text_from_offset(t, out);
    } else if (t < lo_ && lo_ - t <= kProbeStep && has_span_offset(lo_ - kProbeStep)) {
        lo_ -= kProbeStep;
        text_from_offset(t, out);
    } else {
        ask_platform(t, out);
    }
}

void LocalTimeText::ask_platform(std::int64_t t, char* out)
{
    std::tm f{};
    have_span_ = false;
    text_valid_ = false;
    if (!local_fields(t, f) || !format_calendar(f, out)) {
        std::memcpy(out, kUnknownTime, kTimeWidth);
        return;
    }
    if (offsets_usable_) {
        offset_ = local_seconds(f) - t;
        lo_ = hi_ = t;
        have_span_ = true;
    }
}

bool LocalTimeText::has_span_offset(std::int64_t t) const
{
    std::tm f{};
    return local_fields(t, f) && local_seconds(f) - t == offset_;
}

void LocalTimeText::text_from_offset(std::int64_t t, char* out)
{
    if (!text_valid_ || t != text_t_) {
        build_text(t);
        text_t_ = t;
        text_valid_ = true;
    }
    copy_text(out);
}

void LocalTimeText::build_text(std::int64_t t)
{
    const std::int64_t local = t + offset_;
    const std::int64_t day = floor_div(local, kSecondsPerDay);
    if (!day_valid_ || day != day_) {
        const Civil c = civil_from_days(day);
        std::tm f{};
        f.tm_year = static_cast<int>(c.year - 1900);
        f.tm_mon = static_cast<int>(c.month - 1);
        f.tm_mday = static_cast<int>(c.day);
        // Always written: a 32-bit stamp plus an offset under a day lies in
        // 1969..2106, well inside the years format_calendar takes.
        format_calendar(f, text_);
        day_ = day;
        day_valid_ = true;
    }
    const int second_of_day = static_cast<int>(local - day * kSecondsPerDay);
    put2(text_ + 11, second_of_day / 3600);
    put2(text_ + 14, second_of_day / 60 % 60);
    put2(text_ + 17, second_of_day % 60);
}

}  // namespace adconv

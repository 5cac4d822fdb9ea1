#include "time_text.h"

#include <cstring>

#include "calendar.h"
#include "platform.h"

namespace adconv {

namespace {

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

// The dates of every local day a stamp can fall on, 1969-12-30 to
// 2106-02-08, from tables small enough to stay in the cache: the first day
// of each year, its text, and "MM/DD/" of each day of a year. Random stamps
// would otherwise build a date for nearly every row.
struct DateTexts {
    static constexpr std::int64_t kFirstYear = 1969;
    static constexpr std::size_t kYears = 2107 - kFirstYear + 1;
    std::int64_t first_day[kYears];
    bool leap[kYears];
    char year[kYears][4];
    char month_day[2][366][6];

    DateTexts()
    {
        for (std::size_t k = 0; k < kYears; ++k) {
            const std::int64_t y = kFirstYear + static_cast<std::int64_t>(k);
            first_day[k] = days_from_civil(y, 1, 1);
            leap[k] = is_leap_year(y);
            put4(year[k], static_cast<int>(y));
        }
        for (int l = 0; l < 2; ++l) {
            const std::int64_t y = l == 0 ? 2001 : 2000;
            for (std::int64_t d = 0; d < 365 + l; ++d) {
                const Civil c = civil_from_days(days_from_civil(y, 1, 1) + d);
                char* t = month_day[l][d];
                put2(t, static_cast<int>(c.month));
                t[2] = '/';
                put2(t + 3, static_cast<int>(c.day));
                t[5] = '/';
            }
        }
    }

    // Writes "MM/DD/YYYY" of `day`, days since 1970-01-01.
    void write(std::int64_t day, char* out) const
    {
        // Every year has 365 days or more, so this is the year or the next.
        std::size_t k = static_cast<std::size_t>((day - first_day[0]) / 365);
        k -= first_day[k] > day;
        std::memcpy(out, month_day[leap[k]][day - first_day[k]], 6);
        std::memcpy(out + 6, year[k], 4);
    }
};

const DateTexts kDates;

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

void platform_text(std::int64_t t, char* out)
{
    std::tm f{};
    if (!local_fields(t, f) || !format_calendar(f, out))
        std::memcpy(out, kUnknownTime, kTimeWidth);
}

void LocalTimeText::format_general(std::int64_t t, char* out)
{
    if (zone_.ask_platform || t > kLastLocalStamp) {
        if (zone_.ask_platform)
            platform_text(t, out);
        else
            std::memcpy(out, kUnknownTime, kTimeWidth);
        return;
    }
    if (t < span_begin_ || t >= span_end_) {
        const std::size_t i = zone_.change_at(static_cast<std::uint32_t>(t));
        const ZoneModel::Change& change = zone_.changes[i];
        span_begin_ = change.at;
        // The span ends where the platform's local time does, too.
        span_end_ = i + 1 < zone_.changes.size() ? zone_.changes[i + 1].at : kLastStamp + 1;
        span_end_ = span_end_ <= kLastLocalStamp ? span_end_ : kLastLocalStamp + 1;
        offset_ = change.offset;
        leap_second_ = change.leap_second;
        text_valid_ = false;
    }
    if (!text_valid_ || t != text_t_) {
        build_text(t);
        text_t_ = t;
        text_valid_ = true;
    }
    std::memcpy(out, text_, kTimeWidth);
    if (leap_second_ && t == span_begin_) {
        // Local time stands still for the leap second: 23:59:59 reads 23:59:60.
        put2(out + 17, 60);
        text_valid_ = false;
    }
}

void LocalTimeText::build_text(std::int64_t t)
{
    // Counted from two days before 1970, a number that is never negative
    // (no offset reaches that far back from stamp 0), so the division is a
    // plain one.
    const std::uint64_t local = static_cast<std::uint64_t>(t + offset_ + 2 * kSecondsPerDay);
    const std::int64_t day = static_cast<std::int64_t>(local / kSecondsPerDay) - 2;
    kDates.write(day, text_);
    text_[10] = ' ';
    text_[13] = ':';
    text_[16] = ':';
    const int second_of_day = static_cast<int>(local % kSecondsPerDay);
    put2(text_ + 11, second_of_day / 3600);
    put2(text_ + 14, second_of_day / 60 % 60);
    put2(text_ + 17, second_of_day % 60);
}

}  // namespace adconv

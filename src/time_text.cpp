// The time column: local time of a stamp from the zone's model, or from the
// platform, as "MM/DD/YYYY hh:mm:ss".
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

// The dates of every local day a table can show, 1969 to 2107, from
// tables small enough to stay in the cache: the first day of each year and
// "MM/DD/" of each day of a common and of a leap year. Random
// stamps would otherwise build a date for nearly every row.
struct DateTexts {
    static constexpr std::int64_t kFirstYear = 1969, kLastYear = 2107;
    std::int64_t first_day[kLastYear - kFirstYear + 2];
    char month_day[2][366][6];

    DateTexts()
    {
        for (std::int64_t y = kFirstYear; y <= kLastYear + 1; ++y)
            first_day[y - kFirstYear] = days_from_civil(y, 1, 1);
        for (int leap = 0; leap < 2; ++leap) {
            for (std::int64_t d = 0; d < 365 + leap; ++d) {
                const Civil c = civil_from_days(days_from_civil(leap ? 2000 : 2001, 1, 1) + d);
                char* t = month_day[leap][d];
                put2(t, static_cast<int>(c.month));
                put2(t + 3, static_cast<int>(c.day));
                t[2] = t[5] = '/';
            }
        }
    }

    // Writes "MM/DD/YYYY" of `day`, days since 1970-01-01; false, writing
    // nothing, outside those years.
    bool write(std::int64_t day, char* out) const
    {
        if (day < first_day[0] || day >= first_day[kLastYear - kFirstYear + 1])
            return false;
        // Every year has 365 days or more, so this is the year or the next.
        std::size_t k = static_cast<std::size_t>((day - first_day[0]) / 365);
        k -= first_day[k] > day;
        std::memcpy(out, month_day[first_day[k + 1] - first_day[k] == 366][day - first_day[k]], 6);
        put2(out + 6, static_cast<int>((kFirstYear + static_cast<std::int64_t>(k)) / 100));
        put2(out + 8, static_cast<int>((kFirstYear + static_cast<std::int64_t>(k)) % 100));
        return true;
    }
};

const DateTexts kDates;

// " hh:mm:ss" after the date.
void write_clock(int hours, int minutes, int seconds, char* out)
{
    out[0] = ' ';
    put2(out + 1, hours);
    out[3] = ':';
    put2(out + 4, minutes);
    out[6] = ':';
    put2(out + 7, seconds);
}

}  // namespace

void platform_text(std::int64_t t, char* out)
{
    std::tm f{};
    if (!local_fields(t, f) || !kDates.write(days_from_civil(f.tm_year + 1900, static_cast<unsigned>(f.tm_mon + 1),
                                                                 static_cast<unsigned>(f.tm_mday)),
                                             out))
        std::memcpy(out, kUnknownTime, kTimeWidth);
    else
        write_clock(f.tm_hour, f.tm_min, f.tm_sec, out + 10);  // second 60 too, in a leap second
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
    const int second_of_day = static_cast<int>(local % kSecondsPerDay);
    kDates.write(static_cast<std::int64_t>(local / kSecondsPerDay) - 2, text_);  // a 32-bit stamp's day is there
    write_clock(second_of_day / 3600, second_of_day / 60 % 60, second_of_day % 60, text_ + 10);
}

}  // namespace adconv

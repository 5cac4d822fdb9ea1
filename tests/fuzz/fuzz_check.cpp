#include "fuzz_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "table_file.h"

namespace adconv_fuzz {

namespace {

// Whole "TZ=..." entries for putenv, which keeps the pointer: setenv would
// keep a copy of every value ever set, and the fuzzer switches zones often.
char kZones[][40] = {
    "TZ=UTC", "TZ=Europe/Berlin", "TZ=America/New_York", "TZ=Australia/Lord_Howe", "TZ=Asia/Kathmandu",
    "TZ=Pacific/Chatham", "TZ=EST5EDT,M3.2.0,M11.1.0", "TZ=right/UTC",
};
const char* current_zone = nullptr;

[[noreturn]] void fail(const char* what, const char* row)
{
    std::fprintf(stderr, "property violated: %s\nzone %s\nrow: %.*s\n", what, current_zone,
                 static_cast<int>(adconv::kRowSize), row);
    std::abort();
}

}  // namespace

void select_zone(std::uint8_t selector)
{
    char* zone = kZones[selector % (sizeof kZones / sizeof kZones[0])];
    if (zone != current_zone) {
        putenv(zone);
        tzset();
        current_zone = zone;
    }
}

adconv::sampleRecord record_from(const std::uint8_t* bytes)
{
    adconv::sampleRecord r;
    std::memcpy(r.rtc, bytes, sizeof r.rtc);
    std::memcpy(r.samples, bytes + sizeof r.rtc, sizeof r.samples);
    return r;
}

void check_row(const adconv::sampleRecord& record, const char* row)
{
    using adconv::kTimeWidth;
    using adconv::kValueWidth;
    if (row[adconv::kRowWidth] != '\r' || row[adconv::kRowWidth + 1] != '\n')
        fail("row does not end in CR LF after 147 characters", row);
    for (std::size_t i = 0; i < adconv::kRowWidth; ++i)
        if (row[i] == '\r' || row[i] == '\n' || row[i] == '\0')
            fail("line end or NUL inside the row", row);

    // The time column against localtime and the row's own format.
    // A time_t of 32 bits (a C library without a 64-bit one) holds no
    // stamp from 2^31 on: those print the placeholder.
    const std::time_t t = static_cast<std::time_t>(adconv::decode_rtc(record));
    std::tm f{};
    char expected[64];
    if (t >= 0 && localtime_r(&t, &f) != nullptr)
        std::snprintf(expected, sizeof expected, "%02d/%02d/%4d %02d:%02d:%02d", f.tm_mon + 1, f.tm_mday,
                      f.tm_year + 1900, f.tm_hour, f.tm_min, f.tm_sec);
    else
        std::snprintf(expected, sizeof expected, "%s", adconv::kUnknownTime);
    if (std::strlen(expected) != kTimeWidth || std::memcmp(row, expected, kTimeWidth) != 0)
        fail("time column differs from localtime", row);

    for (std::size_t ch = 0; ch < adconv::kChannelCount; ++ch) {
        const char* field = row + kTimeWidth + ch * adconv::kValueFieldWidth;
        if (field[0] != '\t')
            fail("column not led by a tab", row);
        const std::string text(field + 1, kValueWidth);
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end != text.c_str() + kValueWidth)
            fail("value text is not a number of seven characters", row);
        const unsigned count = static_cast<unsigned>(record.samples[ch][0]) << 8 | record.samples[ch][1];
        if (std::llround(value * 26214) != static_cast<long long>(count))
            fail("value does not read back as the count", row);
        char printed[32];
        std::snprintf(printed, sizeof printed, "%7.5f", count * adconv::kVoltsPerCount);
        if (text != printed)
            fail("value text differs from %7.5f", row);
    }
}

}  // namespace adconv_fuzz

#include "fuzz_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "row_oracle.h"
#include "convert.h"
#include "table_file.h"
#include "time_zone.h"

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

const adconv::ZoneModel& select_zone(std::uint8_t selector)
{
    static adconv::ZoneModel model;
    char* zone = kZones[selector % (sizeof kZones / sizeof kZones[0])];
    if (zone != current_zone) {
        putenv(zone);
        if (const char* refusal = adconv::load_time_zone(model)) {
            std::fprintf(stderr, "%s\n", refusal);
            std::abort();
        }
        current_zone = zone;
    }
    return model;
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
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);  // its 36 stored bytes
    static_assert(sizeof record == adconv::kRecordSize, "a record is its stored bytes");
    if (std::string(row, adconv::kRowSize) != adconv_test::plain_row(bytes))
        fail("row differs from localtime and the row format", row);
    // And each value reads back as its count.
    for (std::size_t ch = 0; ch < adconv::kChannelCount; ++ch) {
        const double value = std::strtod(row + adconv::kTimeWidth + ch * adconv::kValueFieldWidth + 1, nullptr);
        if (std::llround(value * 26214) != (bytes[4 + 2 * ch] << 8 | bytes[5 + 2 * ch]))
            fail("value does not read back as the count", row);
    }
}

}  // namespace adconv_fuzz

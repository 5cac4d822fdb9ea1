#include "fuzz_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "row_oracle.h"
#include "convert.h"
#include "table_file.h"
#include "time_text.h"
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

void check_model(const adconv::ZoneModel& model, const std::uint8_t* bytes, std::size_t size)
{
    const auto& changes = model.changes;
    const auto broken = [](const char* what, std::int64_t t) {
        std::fprintf(stderr, "property violated: %s at stamp %lld\n", what, static_cast<long long>(t));
        std::abort();
    };
    std::vector<std::uint32_t> stamps = {0, 0xFFFFFFFFu};
    for (std::size_t at = 0; at + 4 <= size; at += 4)
        stamps.push_back(static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
                         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3]);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if ((i == 0 && changes[0].at != 0) || (i > 0 && changes[i].at <= changes[i - 1].at) ||
            changes[i].at > adconv::kLastStamp || changes[i].offset < -90100 || changes[i].offset > 93700)
            broken("changes not from stamp 0 in time order, or an offset of more than a day and a bit", changes[i].at);
        stamps.insert(stamps.end(), {static_cast<std::uint32_t>(changes[i].at), static_cast<std::uint32_t>(changes[i].at - 1)});
    }
    if (changes.empty())
        broken("no change at all", 0);
    adconv::LocalTimeText times(model);
    for (const std::uint32_t t : stamps) {
        const std::size_t i = model.change_at(t);
        if (i >= changes.size() || changes[i].at > t || (i + 1 < changes.size() && changes[i + 1].at <= t))
            broken("the change found is not the one in force", t);
        char text[adconv::kTimeWidth + 1] = {};
        times.format(t, text);
        unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
        if (std::memcmp(text, adconv::kUnknownTime, adconv::kTimeWidth) != 0 &&  // past this build's time_t
            (std::sscanf(text, "%2u/%2u/%4u %2u:%2u:%2u", &month, &day, &year, &hour, &minute, &second) != 6 ||
             month < 1 || month > 12 || day < 1 || day > 31 || year < 1969 || year > 2106 || hour > 23 || minute > 59 ||
             second > 60))
            broken("a time text that does not read as one", t);
    }
}

}  // namespace adconv_fuzz

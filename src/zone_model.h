// Local time in one zone, for every stamp of 32 bits: the offset from UTC,
// leap seconds counted, from each change on. Built from a zone file or a
// rule before the table is touched, and used for every row.
#ifndef ADCONV_ZONE_MODEL_H
#define ADCONV_ZONE_MODEL_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <limits>
#include <vector>

#include "tz_rule.h"
#include "zone_file.h"

namespace adconv {

constexpr std::int64_t kLastStamp = 0xFFFFFFFF;
// The last stamp the platform has a local time for: kLastStamp, or less
// where time_t is 32 bits.
constexpr std::int64_t kLastLocalStamp = std::numeric_limits<std::time_t>::max() < kLastStamp
                                             ? static_cast<std::int64_t>(std::numeric_limits<std::time_t>::max())
                                             : kLastStamp;

struct ZoneModel {
    struct Change {
        std::int64_t at;       // the first stamp of the change
        std::int32_t offset;   // local time is the stamp plus this
        bool leap_second;      // `at` itself reads as second 60 of the minute before
    };
    std::vector<Change> changes;        // in time order, the first at stamp 0
    std::vector<std::int64_t> instants;  // where the zone's data changes anything, in stamp range
    // No model: the platform is asked for every stamp (Windows, whose
    // runtime takes the system's zone from the system, not from files).
    bool ask_platform = false;

    // The change in force at the start of each 2^20 seconds (12 days) of
    // stamps, and after them the last change: a stamp's change is then one
    // of the few between two of these.
    std::vector<std::uint32_t> bucket_changes;

    // The change in force at t.
    std::size_t change_at(std::uint32_t t) const
    {
        const std::size_t bucket = t >> 20;
        const auto after = std::upper_bound(changes.begin() + bucket_changes[bucket] + 1,
                                            changes.begin() + bucket_changes[bucket + 1] + 1, std::int64_t{t},
                                            [](std::int64_t v, const Change& c) { return v < c.at; });
        return static_cast<std::size_t>(after - changes.begin()) - 1;
    }
};

ZoneModel zone_model(const ZoneFile& file);
ZoneModel zone_model(const TzRule& rule);

}  // namespace adconv

#endif

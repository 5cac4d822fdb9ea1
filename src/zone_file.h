// A compiled zone file ("TZif", versions 1 to 4), read in full: every count
// checked against the bytes there are, every index against its table,
// every flag against the values it may take, and the closing rule read.
#ifndef ADCONV_ZONE_FILE_H
#define ADCONV_ZONE_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tz_rule.h"

namespace adconv {

struct ZoneFile {
    struct Change {
        std::int64_t at;     // seconds since 1970 UTC, as the file counts them
        std::int32_t east;   // the new offset, seconds east of UTC
    };
    struct Leap {
        std::int64_t at;          // the leap second itself
        std::int64_t correction;  // leap seconds counted from then on
    };
    struct Type {
        std::int32_t east;
        std::string name;  // its abbreviation: CET, IST, +0530
    };
    std::vector<Type> types;      // the file's local time types
    std::int32_t first_east = 0;  // the offset before the first change
    std::vector<Change> changes;  // in time order
    std::vector<Leap> leaps;      // in time order
    bool has_rule = false;        // a closing rule, for after the last change
    TzRule rule;
};

// Reads the file's bytes; nullptr, or what is wrong with them.
const char* read_zone_file(const unsigned char* bytes, std::size_t size, ZoneFile& zone);

}  // namespace adconv

#endif

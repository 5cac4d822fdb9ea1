// Everything that differs between POSIX and Windows: the platform's time
// conversions and a look at an open file. The rest of adconv calls these
// names and never asks which system it runs on.
#ifndef ADCONV_PLATFORM_H
#define ADCONV_PLATFORM_H

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace adconv {

// Reads the time-zone settings again: TZ, or the system's zone when TZ is
// unset. The per-call conversions below need not do it themselves.
void read_time_zone();

// The platform's local time of a stamp (seconds since 1970-01-01 00:00:00
// UTC, whatever the width of time_t), or false when it has none.
bool local_fields(std::int64_t t, std::tm& fields);

// The platform's UTC fields of a stamp, or false when it has none.
bool utc_fields(std::int64_t t, std::tm& fields);

// Whether an open stream reads a folder rather than a file or a pipe.
bool is_directory(std::FILE* fp);

}  // namespace adconv

#endif

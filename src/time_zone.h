// The TZ check: whether the C library will read the time-zone settings as
// written. It turns a zone it cannot find or load, a rule it cannot read
// in full, and a summer-time name without dates into another zone's times
// (UTC, or another zone's summer time) without a word, so such settings
// must not reach a table.
#ifndef ADCONV_TIME_ZONE_H
#define ADCONV_TIME_ZONE_H

#include <cstddef>

namespace adconv {

// The whole refusal line ("TZ=VALUE: why"), or nullptr when TZ, or the
// system's zone where TZ is unset, is read as written. Call
// read_time_zone() right after an accepted check, so that nothing opened
// later can stop the C library from loading the zone it checked.
const char* time_zone_refusal();

// How a C library reads a TZ value that names no zone file.
enum class TzForm {
    kAsWritten,        // in full, as written
    kOtherZonesDates,  // a summer-time name that gets another zone's dates
    kMisread,          // in part, or not at all
};

// POSIX: std offset [dst [offset] [,start[/time],end[/time]]], names of
// three or more letters or <...>, offsets 0-24 hours, dates Jn (1-365), n
// (0-365) or Mm.w.d (month 1-12, week 1-5, day 0-6), change times of
// -167 to 167 hours. A summer-time name without dates gets the dates of
// the library's default zone.
TzForm posix_tz_form(const char* tz);

// The Windows runtime: three letters, the hours west of UTC as
// [+|-]hh[:mm[:ss]], and an optional summer-time name, which always gets
// the United States' dates: right only for the zones that keep them.
TzForm windows_tz_form(const char* tz);

// Whether the bytes hold a whole compiled zone file ("TZif"): the header
// of each part it holds, the data its counts announce and, from version 2
// on, the closing rule read in full.
bool is_whole_zone_file(const unsigned char* bytes, std::size_t size);

}  // namespace adconv

#endif

// A POSIX TZ rule, "std offset [dst [offset] [,start[/time],end[/time]]]":
// its names, its offsets and the dates of its changes, as a TZ value or the
// closing rule of a zone file gives them.
#ifndef ADCONV_TZ_RULE_H
#define ADCONV_TZ_RULE_H

#include <cstdint>
#include <string>

namespace adconv {

// A change date: Jn (day 1-365, 29 February never counted), n (day 0-365,
// counted) or Mm.w.d (day d, 0 for Sunday, of week w, 5 for the last, of
// month m), at `time` seconds past the local midnight (-167 to 167 hours).
struct RuleDate {
    enum Kind { kJulian, kZeroBased, kMonthWeekDay } kind = kJulian;
    int month = 0;
    int week = 0;
    int day = 0;
    std::int32_t time = 7200;
};

struct TzRule {
    std::string std_name;
    std::string dst_name;  // empty: no summer time
    std::int32_t std_east = 0;  // seconds east of UTC: a rule writes them west
    std::int32_t dst_east = 0;
    bool has_dates = false;  // a summer time without dates gets another zone's
    RuleDate start;          // to summer time, at local standard time
    RuleDate end;            // back, at local summer time
};

// Reads the whole of `text` as a rule, numbers with leading zeros too;
// false where any part does not read.
bool parse_tz_rule(const char* text, TzRule& rule);

// The stamp (seconds since 1970 UTC) at which the rule changes to summer
// time (`to_summer`) or back in `year`.
std::int64_t rule_change(const TzRule& rule, std::int64_t year, bool to_summer);

// The rule `text` with the sign of each offset turned, as one who counted
// east meant it (IST+5:30 becomes IST-5:30); empty where it does not read.
std::string turned_rule(const char* text);

// A letter of a name, A-Z or a-z whatever the locale.
bool is_letter(char c);

// Reads [+|-]hh[:mm[:ss]], hours up to max_hours, as signed seconds;
// returns what follows, or nullptr where it does not read.
const char* read_clock(const char* p, int max_hours, std::int32_t& seconds);

}  // namespace adconv

#endif

// The TZ forms the C libraries read as they are meant, written out once:
// the platform seam asks the one its system needs.
#ifndef ADCONV_TZ_FORMS_H
#define ADCONV_TZ_FORMS_H

namespace adconv {

// A complete POSIX rule: std offset [dst [offset] [,start[/time],end[/time]]],
// each name three or more letters or <...>, offsets up to 24 hours, dates
// Jn, n or Mm.w.d. A C library reads anything less in part and fills the
// rest with UTC.
bool is_posix_tz_rule(const char* tz);

// What the Windows runtime reads as meant: a bare UTC or GMT, or three
// letters, the hours west of UTC as [+|-]hh[:mm[:ss]], and an optional
// summer-time name (to which it applies the United States' rules). It takes
// any other value's first three characters as a name and reads on from there.
bool is_windows_tz_form(const char* tz);

}  // namespace adconv

#endif

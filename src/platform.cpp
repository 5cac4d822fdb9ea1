#include "platform.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <limits>

static_assert(CHAR_BIT == 8, "records are decoded a byte of eight bits at a time");
static_assert(sizeof(int) >= 4, "calendar fields and seconds of a day are computed in int");

#ifdef _WIN32

// The Windows runtime: 64-bit time values whatever the width of time_t or
// long, so stamps from 2^31 up are dates from 2038 on in 32-bit builds too.
#include <io.h>

namespace adconv {

static_assert(sizeof(__time64_t) == 8, "stamps up to 2^32 - 1 need a 64-bit time value");

void read_time_zone()
{
    _tzset();
}

bool local_fields(std::int64_t t, std::tm& fields)
{
    // The runtime has no local time where local standard time would fall
    // before 1970-01-01 00:00:00. Some versions of it, and its emulations,
    // extend local time backwards instead; deciding it here keeps the table
    // the same under all of them.
    if (t - _timezone < 0)  // _timezone: seconds west of UTC, set by _tzset
        return false;
    const __time64_t tt = t;
    return _localtime64_s(&fields, &tt) == 0;
}

bool utc_fields(std::int64_t t, std::tm& fields)
{
    const __time64_t tt = t;
    return _gmtime64_s(&fields, &tt) == 0;
}

bool is_directory(std::FILE* fp)
{
    struct _stat64 st;
    return _fstat64(_fileno(fp), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFDIR;
}

}  // namespace adconv

#else

// The build asks for 64-bit offsets (_FILE_OFFSET_BITS=64); without them a
// 32-bit system can neither open a sample file over 2 GiB nor write a table
// past 2 GiB.
static_assert(sizeof(off_t) >= 8, "files over 2 GiB need 64-bit file offsets");

namespace adconv {

namespace {

bool fits_time_t(std::int64_t t)
{
    return t >= std::numeric_limits<std::time_t>::min() && t <= std::numeric_limits<std::time_t>::max();
}

}  // namespace

void read_time_zone()
{
    tzset();
}

bool local_fields(std::int64_t t, std::tm& fields)
{
    if (!fits_time_t(t))
        return false;
    const std::time_t tt = static_cast<std::time_t>(t);
    return localtime_r(&tt, &fields) != nullptr;
}

bool utc_fields(std::int64_t t, std::tm& fields)
{
    if (!fits_time_t(t))
        return false;
    const std::time_t tt = static_cast<std::time_t>(t);
    return gmtime_r(&tt, &fields) != nullptr;
}

bool is_directory(std::FILE* fp)
{
    struct stat st;
    return fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace adconv

#endif

#include "platform.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

static_assert(CHAR_BIT == 8, "records are decoded a byte of eight bits at a time");
static_assert(sizeof(int) >= 4, "calendar fields and seconds of a day are computed in int");

#ifdef _WIN32

// The Windows runtime: 64-bit time values whatever the width of time_t or
// long, so stamps from 2^31 up are dates from 2038 on in 32-bit builds too.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>

namespace adconv {

static_assert(sizeof(__time64_t) == 8, "stamps up to 2^32 - 1 need a 64-bit time value");

namespace {

bool is_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

HANDLE handle_of(std::FILE* fp)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(fp)));
}

bool same_id(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

void read_time_zone()
{
    _tzset();
}

bool time_zone_readable()
{
    const char* p = std::getenv("TZ");
    if (p == nullptr || *p == '\0')
        return true;  // the system's zone
    // The runtime takes the first three characters as the name, then reads
    // an offset and a summer-time name from whatever follows; no other form
    // is read as meant. A bare UTC or GMT reads as offset 0, which it is.
    if (std::strcmp(p, "UTC") == 0 || std::strcmp(p, "GMT") == 0)
        return true;
    for (int i = 0; i < 3; ++i)
        if (!is_letter(*p++))
            return false;
    if (*p == '+' || *p == '-')
        ++p;
    if (!is_digit(*p))  // hh
        return false;
    while (is_digit(*p))
        ++p;
    for (int part = 0; part < 2 && *p == ':'; ++part) {  // :mm, then :ss
        if (!is_digit(*++p))
            return false;
        while (is_digit(*p))
            ++p;
    }
    while (is_letter(*p))  // the summer-time name
        ++p;
    return *p == '\0';
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

std::FILE* open_input(const char* path)
{
    std::FILE* fp = std::fopen(path, "rb");
    if (fp == nullptr && errno == EACCES) {
        // The runtime refuses a folder as "Permission denied"; say what it is.
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            errno = EISDIR;
    }
    return fp;
}

bool same_file(std::FILE* fp, const char* path)
{
    BY_HANDLE_FILE_INFORMATION opened;
    if (!GetFileInformationByHandle(handle_of(fp), &opened))
        return false;  // a pipe or a device: no file to be
    // No access asked for, only the identity; backup semantics let a folder open too.
    const HANDLE other = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION named;
    const bool known = GetFileInformationByHandle(other, &named) != 0;
    CloseHandle(other);
    return known && same_id(opened, named);
}

bool write_text(std::FILE* stream, const char* text)
{
    const HANDLE h = handle_of(stream);
    DWORD mode;
    if (h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &mode))
        return std::fputs(text, stream) >= 0;
    // A console shows bytes in its own code page, which is not the
    // process's (UTF-8 by the manifest; the system's on Windows before
    // 1903), so it gets the text as UTF-16. Room for the longest path.
    static wchar_t wide[40000];
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(sizeof wide / sizeof wide[0]));
    if (n <= 0)
        return std::fputs(text, stream) >= 0;
    std::fflush(stream);
    DWORD written = 0;
    return WriteConsoleW(h, wide, static_cast<DWORD>(n - 1), &written, nullptr) != 0 &&
           written == static_cast<DWORD>(n - 1);
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

bool time_zone_readable()
{
    return true;  // the C library reads zone names, rules and offsets alike
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

std::FILE* open_input(const char* path)
{
    std::FILE* fp = std::fopen(path, "rb");
    struct stat st;
    if (fp != nullptr && fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(fp);  // a folder opens here, but reads as an error
        errno = EISDIR;
        return nullptr;
    }
    return fp;
}

bool same_file(std::FILE* fp, const char* path)
{
    struct stat opened;
    struct stat named;
    return fstat(fileno(fp), &opened) == 0 && stat(path, &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

bool write_text(std::FILE* stream, const char* text)
{
    return std::fputs(text, stream) >= 0;
}

}  // namespace adconv

#endif

#include "platform.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "tz_forms.h"

static_assert(CHAR_BIT == 8, "records are decoded a byte of eight bits at a time");
static_assert(sizeof(int) >= 4, "calendar fields and seconds of a day are computed in int");

namespace adconv {

bool same_file_id(const FileId& a, const FileId& b)
{
    static const unsigned char none[sizeof a.file] = {};
    return a.volume == b.volume && std::memcmp(a.file, b.file, sizeof a.file) == 0 &&
           std::memcmp(a.file, none, sizeof none) != 0;
}

int last_error()
{
    return errno != 0 ? errno : EIO;
}

}  // namespace adconv

#ifdef _WIN32

// The Windows runtime: 64-bit time values whatever the width of time_t or
// long, so stamps from 2^31 up are dates from 2038 on in 32-bit builds too.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0602  // declares FILE_ID_INFO; older systems refuse it at run time
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace adconv {

static_assert(sizeof(__time64_t) == 8, "stamps up to 2^32 - 1 need a 64-bit time value");

namespace {

HANDLE handle_of(std::FILE* fp)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(fp)));
}

bool is_folder(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The file's 128-bit ID where the system gives one (Windows 8 and later;
// ReFS needs all of it), else the 64-bit file index.
bool file_id(HANDLE h, FileId& id)
{
    FILE_ID_INFO info;
    if (GetFileInformationByHandleEx(h, FileIdInfo, &info, sizeof info)) {
        id.volume = info.VolumeSerialNumber;
        static_assert(sizeof info.FileId == sizeof id.file, "a file ID is 128 bits");
        std::memcpy(id.file, &info.FileId, sizeof id.file);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION old;
    if (!GetFileInformationByHandle(h, &old))
        return false;  // a pipe or a device: no file to be
    id.volume = old.dwVolumeSerialNumber;
    const std::uint64_t index = std::uint64_t{old.nFileIndexHigh} << 32 | old.nFileIndexLow;
    for (int i = 0; i < 8; ++i)
        id.file[i] = static_cast<unsigned char>(index >> (8 * i));
    return true;
}

// The path the system resolved the handle to, links and short names
// undone; false when it gives none.
bool final_path(HANDLE h, wchar_t* path, DWORD size)
{
    const DWORD n = GetFinalPathNameByHandleW(h, path, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return n > 0 && n < size;
}

}  // namespace

void read_time_zone()
{
    _tzset();
}

const char* time_zone_refusal()
{
    const char* tz = std::getenv("TZ");
    if (tz == nullptr || *tz == '\0' || is_windows_tz_form(tz))
        return nullptr;
    return "this system reads TZ only as a three-letter name, the hours west of UTC as [+|-]hh[:mm[:ss]] and an "
           "optional summer-time name with United States rules, for example UTC0, CET-1 or EST5EDT;"
           " unset TZ for the system's time zone with its own rules";
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
    if (fp == nullptr && errno == EACCES && is_folder(path))
        errno = EISDIR;  // the runtime says "Permission denied"; say what it is
    return fp;
}

const char* input_name_note(const char* path)
{
    if (std::strpbrk(path, "*?") == nullptr)
        return nullptr;
    return "no file has this name; Windows does not expand * or ? into file names,"
           " so convert many files with the loop in README.txt";
}

std::FILE* open_table(const char* path)
{
    // Others may read the table while it is written, but not write it.
    const HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            errno = EBUSY;
        else if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
            errno = is_folder(path) ? EISDIR : EACCES;
        else if (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND)
            errno = ENOENT;
        else if (error == ERROR_DISK_FULL)
            errno = ENOSPC;
        else
            errno = EIO;
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        CloseHandle(h);
        errno = EIO;
        return nullptr;
    }
    std::FILE* fp = _fdopen(fd, "wb");
    if (fp == nullptr)
        _close(fd);
    return fp;
}

bool empty_table(std::FILE* fp)
{
    const HANDLE h = handle_of(fp);
    if (GetFileType(h) != FILE_TYPE_DISK)
        return true;
    if (SetEndOfFile(h))  // the handle is new, so it stands at offset 0
        return true;
    errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
    return false;
}

bool same_file(std::FILE* a, std::FILE* b)
{
    // Either sign is enough: some drives give every file the ID 0 (no
    // identity), and some give a file a new ID on every call, so the paths
    // the system resolved the two handles to are compared as well.
    const HANDLE ha = handle_of(a);
    const HANDLE hb = handle_of(b);
    FileId ia, ib;
    if (file_id(ha, ia) && file_id(hb, ib) && same_file_id(ia, ib))
        return true;
    static wchar_t pa[32768], pb[32768];
    return final_path(ha, pa, 32768) && final_path(hb, pb, 32768) &&
           CompareStringOrdinal(pa, -1, pb, -1, TRUE) == CSTR_EQUAL;
}

bool is_terminal(std::FILE* stream)
{
    DWORD mode;
    return GetConsoleMode(handle_of(stream), &mode) != 0;
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

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

// Where the C library looks for a zone named by a relative path; nullptr
// where that is not known, and then every name is taken on trust.
const char* zone_folder()
{
#if defined(__GLIBC__)
    const char* dir = std::getenv("TZDIR");
    return dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo";
#elif defined(__APPLE__)
    return "/usr/share/zoneinfo";
#else
    return nullptr;
#endif
}

// Whether `name` leads to a zone file that the C library will load, one
// that starts with the "TZif" of compiled zone data.
bool loads_zone_file(const char* name, const char* folder)
{
    char path[4096];
    const int n = *name == '/' ? std::snprintf(path, sizeof path, "%s", name)
                               : std::snprintf(path, sizeof path, "%s/%s", folder, name);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof path)
        return false;
    std::FILE* fp = std::fopen(path, "rb");
    if (fp == nullptr)
        return false;
    char magic[4];
    const bool zone = std::fread(magic, 1, sizeof magic, fp) == sizeof magic && std::memcmp(magic, "TZif", 4) == 0;
    std::fclose(fp);
    return zone;
}

}  // namespace

void read_time_zone()
{
    tzset();
}

// The C library takes TZ (less a leading ':') as a zone file's name first,
// then as a POSIX rule; what is neither, it turns into UTC.
const char* time_zone_refusal()
{
    const char* tz = std::getenv("TZ");
    const char* folder = zone_folder();
    if (tz == nullptr || *tz == '\0' || folder == nullptr)
        return nullptr;
    const char* name = *tz == ':' ? tz + 1 : tz;
    // Nothing, or a bare UTC or GMT, is what the library falls back to anyway.
    if (*name == '\0' || std::strcmp(name, "UTC") == 0 || std::strcmp(name, "GMT") == 0 || loads_zone_file(name, folder) ||
        is_posix_tz_rule(name))
        return nullptr;
    static char refusal[4200];
    std::snprintf(refusal, sizeof refusal,
                  "this system has no such time zone (zone files are looked for in %s; a rule reads like"
                  " CET-1CEST,M3.5.0,M10.5.0/3); unset TZ for the system's time zone",
                  folder);
    return refusal;
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

const char* input_name_note(const char*)
{
    return nullptr;  // the shell expands patterns; what is left is a name
}

std::FILE* open_table(const char* path)
{
    // Not O_TRUNC: the table is emptied only once it is held.
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return nullptr;
    // Any other failure (ENOLCK, EOPNOTSUPP...) means a file system without
    // locks, where the run goes on as it did before there were any.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        close(fd);
        errno = EBUSY;
        return nullptr;
    }
    std::FILE* fp = fdopen(fd, "wb");
    if (fp == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return fp;
}

bool empty_table(std::FILE* fp)
{
    struct stat st;
    if (fstat(fileno(fp), &st) != 0)
        return false;
    return !S_ISREG(st.st_mode) || ftruncate(fileno(fp), 0) == 0;
}

bool same_file(std::FILE* a, std::FILE* b)
{
    // Device and inode; false when either cannot be had.
    const auto file_id = [](std::FILE* fp, FileId& id) {
        struct stat st;
        if (fstat(fileno(fp), &st) != 0)
            return false;
        id.volume = static_cast<std::uint64_t>(st.st_dev);
        static_assert(sizeof st.st_ino <= sizeof id.file, "an inode number fits a file ID");
        std::memcpy(id.file, &st.st_ino, sizeof st.st_ino);
        return true;
    };
    FileId ia, ib;
    return file_id(a, ia) && file_id(b, ib) && same_file_id(ia, ib);
}

bool is_terminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

bool write_text(std::FILE* stream, const char* text)
{
    return std::fputs(text, stream) >= 0;
}

}  // namespace adconv

#endif

// Everything that differs between POSIX and Windows: the platform's time
// conversions, opening the input and telling files apart, and text for the
// user. The rest of adconv calls these names and never asks which system it
// runs on. Paths and texts are UTF-8 on Windows (the program's manifest
// makes it the process's code page) and the system's bytes on POSIX.
#ifndef ADCONV_PLATFORM_H
#define ADCONV_PLATFORM_H

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace adconv {

// Reads the time-zone settings again: TZ, or the system's zone when TZ is
// unset. The per-call conversions below need not do it themselves.
void read_time_zone();

// Whether the platform reads TZ as it is meant. The Windows runtime takes
// only NAME[+|-]hh[:mm[:ss]][DST] and turns a zone name such as
// Europe/Berlin, without a word, into UTC with United States summer time.
bool time_zone_readable();

// The platform's local time of a stamp (seconds since 1970-01-01 00:00:00
// UTC, whatever the width of time_t), or false when it has none.
bool local_fields(std::int64_t t, std::tm& fields);

// The platform's UTC fields of a stamp, or false when it has none.
bool utc_fields(std::int64_t t, std::tm& fields);

// Opens a file or pipe for binary reading; nullptr with errno set when it
// cannot, and with EISDIR for a folder on every system.
std::FILE* open_input(const char* path);

// Whether `path` leads to the very file that `fp` reads, by the file's
// identity (device and inode, or volume and file index) rather than by name:
// any link, case, short name or "..". False when `path` names nothing.
bool same_file(std::FILE* fp, const char* path);

// Writes text to standard output or standard error: on a Windows console as
// characters, so any name reads as typed whatever the console's code page;
// to a file or a pipe as its bytes. False when it could not be written.
bool write_text(std::FILE* stream, const char* text);

}  // namespace adconv

#endif

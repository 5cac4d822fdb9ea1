// Everything that differs between POSIX and Windows: the platform's time
// conversions and the TZ forms it reads, opening the input and the table,
// telling files apart, and text for the user. The rest of adconv calls these
// names and never asks which system it runs on. Paths and texts are UTF-8 on
// Windows (the program's manifest makes it the process's code page) and the
// system's bytes on POSIX.
#ifndef ADCONV_PLATFORM_H
#define ADCONV_PLATFORM_H

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace adconv {

// Reads the time-zone settings again: TZ, or the system's zone when TZ is
// unset. The per-call conversions below need not do it themselves.
void read_time_zone();

// Why the C library would misread TZ, as the text that follows "TZ=VALUE: "
// in the refusal; nullptr when TZ is unset, empty or read as meant. The C
// library turns a zone it cannot find, or a form it does not know, into UTC
// without a word, so such a TZ must not reach a table.
const char* time_zone_refusal();

// The platform's local time of a stamp (seconds since 1970-01-01 00:00:00
// UTC, whatever the width of time_t), or false when it has none.
bool local_fields(std::int64_t t, std::tm& fields);

// The platform's UTC fields of a stamp, or false when it has none.
bool utc_fields(std::int64_t t, std::tm& fields);

// Opens a file or pipe for binary reading; nullptr with errno set when it
// cannot, and with EISDIR for a folder on every system.
std::FILE* open_input(const char* path);

// For an input that could not be opened: a note that says why the name
// itself is the trouble, or nullptr. On Windows no shell expands * or ?, so
// "*.bin" reaches the program as it was typed.
const char* input_name_note(const char* path);

// Opens the table for binary writing, created if absent but with its bytes
// kept, and holds it against every other run until it is closed: a run
// that finds it held gets nullptr with errno EBUSY, before anything is
// changed. A folder gives EISDIR on every system. Where the file system
// keeps no locks (some network mounts) the table is opened without one.
std::FILE* open_table(const char* path);

// Empties a table opened by open_table(); a device or pipe is left as it is.
// False, with errno set, when it cannot.
bool empty_table(std::FILE* fp);

// A file's identity as the system gives it: the volume and the file's ID
// within it (device and inode on POSIX; up to 128 bits on Windows).
struct FileId {
    std::uint64_t volume = 0;
    unsigned char file[16] = {};
};

// Whether two identities are one file. An all-zero file ID is no identity:
// some network and user-mode file systems give it for every file.
bool same_file_id(const FileId& a, const FileId& b);

// Whether the two open streams are one file, whatever names led to them:
// any link, case, short name or "..".
bool same_file(std::FILE* a, std::FILE* b);

// errno of the call that just failed, or EIO where the C library set none:
// fread, fwrite and fclose need not set it.
int last_error();

// Whether the stream is a terminal (on Windows, a console).
bool is_terminal(std::FILE* stream);

// Writes text to standard output or standard error: on a Windows console as
// characters, so any name reads as typed whatever the console's code page;
// to a file or a pipe as its bytes. False when it could not be written.
bool write_text(std::FILE* stream, const char* text);

}  // namespace adconv

#endif

// Everything that differs between POSIX and Windows: standard streams,
// the platform's time conversions and how it reads TZ, opening the input
// and the table, and writing text for the user. Each system implements it
// in a file of its own (platform_posix.cpp, platform_windows.cpp); the rest
// of adconv calls these names and never asks which system it runs on.
// Paths and texts are UTF-8 on Windows (the program's manifest makes it the
// process's code page) and the system's bytes on POSIX.
#ifndef ADCONV_PLATFORM_H
#define ADCONV_PLATFORM_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace adconv {

// errno of the call that just failed, or EIO where the C library set none:
// fread, fwrite and fclose need not set it.
inline int last_error()
{
    return errno != 0 ? errno : EIO;
}

// Opens whichever of descriptors 0-2 is closed on the null device, read
// only, so that no file opened later becomes a standard stream and no
// message can land in the table. False when that cannot be done.
bool reserve_standard_streams();

struct TzRule;

// How the Windows runtime reads a TZ value: three letters, the hours west
// of UTC as [+|-]hh[:mm[:ss]], and an optional summer-time name, which
// always gets the United States' dates.
enum class TzForm {
    kAsWritten,
    kOtherZonesDates,  // a summer-time name that gets the United States' dates
    kMisread,          // in part, or not at all
};

// How this system's C library reads TZ.
struct TzSystem {
    // Where the runtime reads TZ by a short grammar of its own (Windows),
    // how it reads a value; where it reads as written in part at least,
    // `rule` (if given) gets its names and offsets. nullptr where TZ names
    // a zone file or gives a POSIX rule, and the fields below apply.
    TzForm (*runtime_form)(const char* tz, TzRule* rule);
    const char* zone_folder;  // where a relative zone name is looked for
    const char* system_zone;  // the zone file read when TZ is unset
    // A name is a zone file wherever one exists, else a rule (glibc,
    // Apple's libc, the BSDs); else only after ':' or with a '/' (musl).
    bool names_files_first;
};
TzSystem tz_system();

// The target of a symbolic link; false where `path` is none.
bool read_link(const char* path, char* target, std::size_t size);

// Reads the time-zone settings: TZ, or the system's zone when TZ is unset.
// Once read, the conversions below use them without reading them again.
void read_time_zone();

// The platform's local time of a stamp (seconds since 1970-01-01 00:00:00
// UTC, whatever the width of time_t), or false when it has none.
bool local_fields(std::int64_t t, std::tm& fields);

// The first `capacity` bytes of a regular file, read without waiting on a
// pipe or a device; `size` is the file's whole length.
struct SmallFile {
    enum Outcome { kRead, kNotRegular, kFailed } outcome;
    int error;         // kFailed: errno
    std::uint64_t size;
};
SmallFile read_small_file(const char* path, unsigned char* bytes, std::size_t capacity);

// Opens a file or pipe for binary reading; nullptr with errno set when it
// cannot, and with EISDIR for a folder on every system.
std::FILE* open_input(const char* path);

// For an input that could not be opened: a note that says why the name
// itself is the trouble, or nullptr. On Windows no shell expands * or ?, so
// "*.bin" reaches the program as it was typed.
const char* input_name_note(const char* path);

// Opens the table and empties it, in one step: it is created if absent,
// held against every other run until it is closed, compared with the open
// input and with standard output and error, and emptied only once held and
// known to be none of them. A regular file is held by a lock that only a
// process able to write it can take; where the file system keeps no locks
// (some network mounts) it is opened without one. A device or pipe is
// neither held nor emptied. A folder fails with EISDIR on every system.
struct TableOpening {
    enum Outcome { kOpened, kHeld, kIsInput, kIsStandardOutput, kIsStandardError, kFailed } outcome;
    std::FILE* fp;  // kOpened: the empty table, for binary writing
    bool regular;   // kOpened: a regular file, which can be cut back
    int error;      // kFailed: errno
    // kIsStandardOutput: a regular file that was empty, as a shell's >
    // leaves it, and not opened for appending (>>) where the system says.
    bool emptied = false;
};
TableOpening open_table(const char* path, std::FILE* input);

// Writes all `size` bytes straight to the stream's file; false, with errno
// set, when a write fails. `written` gets the bytes the file took.
bool write_all(std::FILE* stream, const char* bytes, std::size_t size, std::size_t& written);

// Cuts the regular file open as `stream` back to `size` bytes.
bool cut_file(std::FILE* stream, std::uint64_t size);

// From here on, a write that would raise SIGPIPE or SIGXFSZ fails with
// EPIPE or EFBIG instead, and SIGINT, SIGTERM and SIGHUP (Ctrl-C and
// Ctrl-Break on Windows) only set what stop_signal() returns.
void catch_signals();
// The stop signal caught, or 0.
int stop_signal();
// Ends the process by that signal, as if it had not been caught.
[[noreturn]] void end_by_signal(int signal);

// Who may be holding a table that open_table() found held.
extern const char kTableHeldBy[];

// Whether the stream is a terminal (on Windows, a console).
bool is_terminal(std::FILE* stream);

// Writes `size` bytes of text to standard output or standard error in one
// write, after whatever the stream holds: on a Windows console as
// characters, so any name reads as typed whatever the console's code page;
// to a file or a pipe as its bytes. False when it could not be written.
bool write_line(std::FILE* stream, const char* text, std::size_t size);

}  // namespace adconv

#endif

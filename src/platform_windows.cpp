// The platform seam on Windows. The runtime gives 64-bit time values
// whatever the width of time_t or long, so stamps from 2^31 up are dates
// from 2038 on in 32-bit builds too.
#include "platform.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0602  // declares FILE_ID_INFO; older systems refuse it at run time
#endif
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>  // _doserrno
#include <cstring>

#include "file_id.h"
#include "tz_rule.h"

static_assert(CHAR_BIT == 8, "records are decoded a byte of eight bits at a time");
static_assert(sizeof(int) >= 4, "calendar fields and seconds of a day are computed in int");
static_assert(sizeof(__time64_t) == 8, "stamps up to 2^32 - 1 need a 64-bit time value");

namespace adconv {

// The table is opened denying others the right to write, so a program
// that has it open for writing (Excel saving it, say) holds it too.
const char kTableHeldBy[] = "another run is writing it (or another program has it open)";

namespace {

HANDLE handle_of(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
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

// Either sign is enough: some drives give every file the ID 0 (no
// identity), and some give a file a new ID on every call, so the paths the
// system resolved the two handles to are compared as well.
bool same_file(HANDLE a, HANDLE b)
{
    FileId ia, ib;
    if (file_id(a, ia) && file_id(b, ib) && same_file_id(ia, ib))
        return true;
    static wchar_t pa[32768], pb[32768];
    return final_path(a, pa, 32768) && final_path(b, pb, 32768) &&
           CompareStringOrdinal(pa, -1, pb, -1, TRUE) == CSTR_EQUAL;
}

TableOpening table_failed(int fd, int error)
{
    _close(fd);
    return {TableOpening::kFailed, nullptr, false, error};
}

// Whether the file is a disk file of no bytes. Whether standard output was
// opened to append (>>) the runtime does not say.
bool empty_file(HANDLE h)
{
    LARGE_INTEGER size;
    return GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) && size.QuadPart == 0;
}

// Who holds a table that others may not write: our own standard output
// or error, when a shell has redirected it there, or another program.
TableOpening held_outcome(const char* path)
{
    const HANDLE h = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    TableOpening held = {TableOpening::kHeld, nullptr, false, 0};
    if (h != INVALID_HANDLE_VALUE) {
        if (same_file(h, handle_of(1)))
            held = {TableOpening::kIsStandardOutput, nullptr, false, 0, empty_file(h)};
        else if (same_file(h, handle_of(2)))
            held.outcome = TableOpening::kIsStandardError;
        CloseHandle(h);
    }
    return held;
}

// The runtime's TZ grammar: three letters, the hours west, an optional
// summer-time name (TzForm says what it gives).
TzForm runtime_form(const char* p, TzRule* rule)
{
    const char* name = p;
    for (int i = 0; i < 3; ++i)
        if (!is_letter(*p++))
            return TzForm::kMisread;
    std::int32_t west = 0;
    p = read_clock(p, 99, west);
    if (p == nullptr)
        return TzForm::kMisread;
    const char* summer = p;
    while (is_letter(*p))
        ++p;
    if (*p != '\0')
        return TzForm::kMisread;
    if (rule != nullptr) {
        *rule = TzRule();
        rule->std_name.assign(name, 3);
        rule->std_east = -west;
        rule->dst_name.assign(summer, p);
        rule->dst_east = rule->std_east + 3600;
    }
    // Eastern (5 hours west) to Pacific (8), Alaska (9), Hawaii-Aleutian (10).
    const bool united_states = west % 3600 == 0 && west >= 5 * 3600 && west <= 10 * 3600;
    return *summer == '\0' || united_states ? TzForm::kAsWritten : TzForm::kOtherZonesDates;
}

volatile std::sig_atomic_t caught_signal = 0;

void on_stop_signal(int signal)
{
    caught_signal = signal;
}

}  // namespace

bool reserve_standard_streams()
{
    return true;  // the runtime keeps descriptors 0-2 for the standard streams
}

TzSystem tz_system()
{
    return {runtime_form, nullptr, nullptr, false};
}

bool read_link(const char*, char*, std::size_t)
{
    return false;  // the runtime reads no zone files
}

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

SmallFile read_small_file(const char* path, unsigned char* bytes, std::size_t capacity)
{
    std::FILE* fp = std::fopen(path, "rb");
    if (fp == nullptr)
        return {SmallFile::kFailed, errno, 0};
    struct _stat64 st;
    SmallFile result{SmallFile::kNotRegular, 0, 0};
    if (_fstat64(_fileno(fp), &st) != 0) {
        result = {SmallFile::kFailed, errno, 0};
    } else if ((st.st_mode & _S_IFMT) == _S_IFREG) {
        result = {SmallFile::kRead, 0, static_cast<std::uint64_t>(st.st_size)};
        const std::size_t wanted = result.size < capacity ? static_cast<std::size_t>(result.size) : capacity;
        if (std::fread(bytes, 1, wanted, fp) != wanted)
            result = {SmallFile::kFailed, EIO, 0};  // shorter than the size it gave
    }
    std::fclose(fp);
    return result;
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

TableOpening open_table(const char* path, std::FILE* input)
{
    // Others may read the table while it is written, but not write it. The
    // runtime maps the system's error to errno; the system's own code tells
    // a table held by another from one that cannot be opened.
    _doserrno = 0;
    const int fd = _sopen(path, _O_WRONLY | _O_CREAT | _O_BINARY, _SH_DENYWR, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        const unsigned long error = _doserrno;
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return held_outcome(path);
        return {TableOpening::kFailed, nullptr, false, errno == EACCES && is_folder(path) ? EISDIR : errno};
    }
    const HANDLE h = handle_of(fd);
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    // A pipe is one file too: a line written to it as standard output
    // would reach the table's reader.
    const TableOpening::Outcome own = own_file(_fileno(input), [&](int other) { return same_file(h, handle_of(other)); });
    if (own != TableOpening::kOpened) {
        const bool emptied = own == TableOpening::kIsStandardOutput && empty_file(h);
        _close(fd);
        return {own, nullptr, false, 0, emptied};
    }
    // A device is left as it is, and so is a table that is empty already; a
    // new descriptor stands at offset 0.
    if (disk && !empty_file(h) && _chsize_s(fd, 0) != 0)
        return table_failed(fd, errno);
    std::FILE* fp = _fdopen(fd, "wb");
    if (fp == nullptr)
        return table_failed(fd, errno);
    return {TableOpening::kOpened, fp, disk, 0};
}

bool write_all(std::FILE* stream, const char* bytes, std::size_t size, std::size_t& written)
{
    written = 0;
    while (written < size) {
        // At most 1 GiB a call, which an unsigned count surely takes.
        const std::size_t part = size - written < (1u << 30) ? size - written : (1u << 30);
        const int fd = _fileno(stream);
        const long long before = _telli64(fd);
        const int n = _write(fd, bytes + written, static_cast<unsigned>(part));
        if (n <= 0) {
            // A call that failed part way has still written part, as the
            // file's position says, and its error may not say why: the
            // call for the rest does.
            const int error = n < 0 ? errno : ENOSPC;  // nothing taken and no error: a full disk
            const long long after = _telli64(fd);
            if (before >= 0 && after > before) {
                written += static_cast<std::size_t>(after - before);
                continue;
            }
            errno = error;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool cut_file(std::FILE* stream, std::uint64_t size)
{
    return _chsize_s(_fileno(stream), static_cast<long long>(size)) == 0;
}

void catch_signals()
{
    // Ctrl-C and Ctrl-Break; the runtime calls the handler on a thread of
    // its own, and the record loop stops at the next row.
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGBREAK, on_stop_signal);
}

int stop_signal()
{
    return caught_signal;
}

void end_by_signal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(3);  // the runtime's own status for an unhandled Ctrl-C
}

bool is_terminal(std::FILE* stream)
{
    DWORD mode;
    return GetConsoleMode(handle_of(_fileno(stream)), &mode) != 0;
}

bool write_line(std::FILE* stream, const char* text, std::size_t size)
{
    if (std::fflush(stream) != 0)
        return false;
    const int fd = _fileno(stream);
    const HANDLE h = handle_of(fd);
    DWORD mode;
    if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
        // A console shows bytes in its own code page, which is not the
        // process's (UTF-8 by the manifest; the system's on Windows before
        // 1903), so it gets the text as UTF-16. Room for the longest path.
        static wchar_t wide[1 << 17];
        const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), wide,
                                          static_cast<int>(sizeof wide / sizeof wide[0]));
        DWORD written = 0;
        if (n > 0)
            return WriteConsoleW(h, wide, static_cast<DWORD>(n), &written, nullptr) != 0 &&
                   written == static_cast<DWORD>(n);
    }
    // The stream's descriptor is in text mode: the runtime writes each LF
    // as CR LF. A line is far shorter than what one call may write.
    return _write(fd, text, static_cast<unsigned>(size)) == static_cast<int>(size);
}

}  // namespace adconv

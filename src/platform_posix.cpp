// The platform seam on POSIX systems.
#include "platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "file_id.h"

static_assert(CHAR_BIT == 8, "records are decoded a byte of eight bits at a time");
static_assert(sizeof(int) >= 4, "calendar fields and seconds of a day are computed in int");
// The build asks for 64-bit offsets (_FILE_OFFSET_BITS=64); without them a
// 32-bit system can neither open a sample file over 2 GiB nor write a table
// past 2 GiB.
static_assert(sizeof(off_t) >= 8, "files over 2 GiB need 64-bit file offsets");

namespace adconv {

// A file that merely has the table open does not hold it: only the lock
// another adconv takes does.
const char kTableHeldBy[] = "another run is writing it";

namespace {

bool fits_time_t(std::int64_t t)
{
    return t >= std::numeric_limits<std::time_t>::min() && t <= std::numeric_limits<std::time_t>::max();
}

// Device and inode.
FileId file_id(const struct stat& st)
{
    FileId id;
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    static_assert(sizeof st.st_ino <= sizeof id.file, "an inode number fits a file ID");
    std::memcpy(id.file, &st.st_ino, sizeof st.st_ino);
    return id;
}

TableOpening table_failed(int fd, int error)
{
    if (fd >= 0)
        close(fd);
    return {TableOpening::kFailed, nullptr, false, error};
}

// Takes the run's hold on the table: false where another run has it. An
// open-file-description write lock where the system has one, which only a
// process that opened the table for writing can take; flock otherwise.
// Any other failure (ENOLCK, EOPNOTSUPP...) means a file system without
// locks, where the run goes on as it did before there were any.
bool hold(int fd)
{
#ifdef F_OFD_SETLK
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;  // from 0, length 0: the whole file, however long
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0)
        return true;
    if (errno != EINVAL)
        return errno != EAGAIN && errno != EACCES;
#endif
    return flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

volatile std::sig_atomic_t caught_signal = 0;

void on_stop_signal(int signal)
{
    caught_signal = signal;
}

}  // namespace

bool reserve_standard_streams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is fd itself, as those below it are
        // open. Read-only, so that what is written to a stream that was
        // closed still fails, and the summary lost there is said. An empty
        // root (a container, a chroot) may have no /dev/null, but has "/".
        int reserved = open("/dev/null", O_RDONLY);
        if (reserved < 0)
            reserved = open("/", O_RDONLY | O_DIRECTORY);
        if (reserved != fd)
            return false;
    }
    return true;
}

TzSystem tz_system()
{
#if defined(__GLIBC__)
    const char* dir = std::getenv("TZDIR");
    return {nullptr, dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo", "/etc/localtime", true};
#elif defined(__linux__)  // musl
    return {nullptr, "/usr/share/zoneinfo", "/etc/localtime", false};
#else  // Apple's libc and the BSDs, which read no TZDIR
    return {nullptr, "/usr/share/zoneinfo", "/etc/localtime", true};
#endif
}

bool read_link(const char* path, char* target, std::size_t size)
{
    const ssize_t n = readlink(path, target, size - 1);
    if (n < 0)
        return false;
    target[n] = '\0';
    return true;
}

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

SmallFile read_small_file(const char* path, unsigned char* bytes, std::size_t capacity)
{
    // O_NONBLOCK: a FIFO opens at once rather than wait for a writer.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {SmallFile::kFailed, errno, 0};
    struct stat st;
    SmallFile result{SmallFile::kNotRegular, 0, 0};
    if (fstat(fd, &st) != 0) {
        result = {SmallFile::kFailed, errno, 0};
    } else if (S_ISREG(st.st_mode)) {
        result = {SmallFile::kRead, 0, static_cast<std::uint64_t>(st.st_size)};
        for (std::size_t got = 0; got < capacity && got < result.size;) {
            const ssize_t n = read(fd, bytes + got, capacity - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                result = {SmallFile::kFailed, n < 0 ? errno : EIO, 0};
                break;
            }
            got += static_cast<std::size_t>(n);
        }
    }
    close(fd);
    return result;
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

TableOpening open_table(const char* path, std::FILE* input)
{
    // Not O_TRUNC: the table is emptied only once it is held. A FIFO opens
    // once it has a reader; a stop signal ends the wait.
    int fd = -1;
    do
        fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    while (fd < 0 && errno == EINTR && caught_signal == 0);
    if (fd < 0)
        return table_failed(fd, errno);
    struct stat table;
    if (fstat(fd, &table) != 0)
        return table_failed(fd, errno);
    const bool regular = S_ISREG(table.st_mode);
    if (regular && !hold(fd)) {
        close(fd);
        return {TableOpening::kHeld, nullptr, false, 0};
    }
    // Compared as open files, so the table cannot be swapped for one of
    // them between the check and the emptying. A pipe or a terminal is one
    // file too: a line written to it as standard output would reach the
    // table's reader. A device that only takes bytes (/dev/null, /dev/full)
    // has no reader.
    const bool sink = S_ISCHR(table.st_mode) && isatty(fd) == 0;
    const TableOpening::Outcome own = own_file(fileno(input), [&](int other_fd) {
        struct stat other;
        return !sink && fstat(other_fd, &other) == 0 && same_file_id(file_id(table), file_id(other));
    });
    if (own != TableOpening::kOpened) {
        close(fd);
        const bool emptied = own == TableOpening::kIsStandardOutput && regular && table.st_size == 0 &&
                             (fcntl(1, F_GETFL) & O_APPEND) == 0;
        return {own, nullptr, false, 0, emptied};
    }
    // A table that is empty already is left so: on some file systems (ext4)
    // a file that was cut is written out at close, a cost of its own.
    if (regular && table.st_size != 0 && ftruncate(fd, 0) != 0)
        return table_failed(fd, errno);
    std::FILE* fp = fdopen(fd, "wb");
    if (fp == nullptr)
        return table_failed(fd, errno);
    return {TableOpening::kOpened, fp, regular, 0};
}

bool write_all(std::FILE* stream, const char* bytes, std::size_t size, std::size_t& written)
{
    written = 0;
    while (written < size) {
        const ssize_t n = write(fileno(stream), bytes + written, size - written);
        // A stop signal ends a write that waits on a pipe: cut short, or
        // failed with EINTR.
        const bool stopped = caught_signal != 0 && (n < 0 ? errno == EINTR : static_cast<std::size_t>(n) < size - written);
        if (n < 0 && errno == EINTR && !stopped)
            continue;
        written += n > 0 ? static_cast<std::size_t>(n) : 0;
        if (n <= 0 || stopped) {
            errno = stopped ? EINTR : n < 0 ? errno : EIO;
            return false;
        }
    }
    return true;
}

bool cut_file(std::FILE* stream, std::uint64_t size)
{
    return ftruncate(fileno(stream), static_cast<off_t>(size)) == 0;
}

void catch_signals()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    action.sa_flags = 0;  // not restarted: a read that waits on a pipe ends
    sigemptyset(&action.sa_mask);
    // A signal ignored from the start stays ignored, as nohup wants.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

int stop_signal()
{
    return caught_signal;
}

void end_by_signal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);  // were it blocked
}

bool is_terminal(std::FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

bool write_line(std::FILE* stream, const char* text, std::size_t size)
{
    std::size_t written = 0;
    return std::fflush(stream) == 0 && write_all(stream, text, size, written);
}

}  // namespace adconv

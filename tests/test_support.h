// Helpers shared by the tests: record bytes, the time zone, files and
// temporary folders, and (POSIX only) running the real binary.
#ifndef ADCONV_TEST_SUPPORT_H
#define ADCONV_TEST_SUPPORT_H

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "sample_record.h"
#include "zone_model.h"

namespace adconv_test {

using Counts = std::array<unsigned, adconv::kChannelCount>;

// The 36 stored bytes of a record, big-endian.
std::string record_bytes(std::uint32_t rtc, const Counts& counts);
adconv::sampleRecord make_record(std::uint32_t rtc, const Counts& counts);

// Sets TZ (or unsets it for nullptr) for this process and loads it as
// adconv does; throws where adconv would refuse it, except on Windows.
const adconv::ZoneModel& set_tz(const char* tz);

// Seconds since 1970-01-01 00:00:00 of the fields taken as UTC.
std::int64_t utc_seconds(std::tm fields);

// Whether this build has dates for stamps from 2^31 on: not where time_t
// is 32 bits (a C library without a 64-bit one, or ADCONV_TIME64=OFF),
// where they print the placeholder.
bool dates_after_2038();
constexpr char kNoDatesAfter2038[] =
    "time_t is 32 bits in this build: stamps from 2^31 on print the placeholder, and the cases that need their "
    "dates were not checked";

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

#ifndef _WIN32
// Whether /dev/full, where every write fails, exists here (macOS has none).
bool has_dev_full();

// Whether pseudo-terminals can be had here (a bare chroot may lack /dev/pts).
bool has_terminals();

struct RunResult {
    int status = -1;  // exit status, or -1 if the program did not exit normally
    int signal = 0;   // the signal that ended it, if one did
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string stdout_path;           // where standard output goes; captured when empty
    const char* tz = "UTC";            // TZ for the child; nullptr unsets it
    std::vector<std::string> env;      // more NAME=VALUE for the child
    bool terminal = false;             // both outputs on one terminal, read back into `out`
    std::string shell;                 // run by /bin/sh as this command, the program as "$0"
    std::string program = ADCONV_BINARY;
    // Called with the child's process ID once it runs, before it is waited
    // for (a shell command that execs the program keeps its ID).
    std::function<void(int pid)> while_running;
};

// Runs the program (adconv unless told otherwise) in `dir` with the given
// arguments, not counting argv[0], which is the program's path. A cross
// build runs it under the emulator that ADCONV_EMULATOR names.
RunResult run_adconv(const std::string& dir, const std::vector<std::string>& args,
                     const RunOptions& options = RunOptions());

// Opens a FIFO for writing once a reader has opened it, giving up (-1)
// after 30 seconds, so a test fails rather than hangs when the reader
// never comes.
int open_fifo_writer(const std::string& path);
#endif

}  // namespace adconv_test

#endif

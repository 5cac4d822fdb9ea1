// Runs a built program in a folder of its own with fork and exec, for the
// tests that check the real binary (POSIX only).
#ifndef ADCONV_RUN_PROGRAM_H
#define ADCONV_RUN_PROGRAM_H

#include <string>
#include <vector>

namespace adconv_test {

struct RunResult {
    int status = -1;  // exit status, or -1 if the program did not exit normally
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string stdout_path;           // where standard output goes; captured when empty
    const char* tz = "UTC";            // TZ for the child; nullptr unsets it
    std::string program = ADCONV_BINARY;
    std::string argv0 = ADCONV_BINARY;
};

// Runs the program (adconv unless told otherwise) in `dir` with the given
// arguments, not counting argv[0].
RunResult run_adconv(const std::string& dir, const std::vector<std::string>& args,
                     const RunOptions& options = RunOptions());

}  // namespace adconv_test

#endif

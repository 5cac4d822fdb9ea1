// adconv: converts a binary sample file into the table file "adtable".
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "convert.h"
#include "platform.h"
#include "table_file.h"

namespace {

constexpr int kFailed = 1;
constexpr int kTableIncomplete = 255;

// The input must not be the table itself, under any name: opening the table
// would truncate it before it could be read.
bool is_table_file(const char* path)
{
    std::error_code ec;
    return std::filesystem::equivalent(path, adconv::kTableName, ec);
}

void report(int error, const char* prefix)
{
    errno = error;
    std::perror(prefix);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "Usage: %s filename\n", argc > 0 ? argv[0] : "adconv");
        return kFailed;
    }
    const char* filename = argv[1];
    std::FILE* ifp = std::fopen(filename, "rb");
    if (ifp == nullptr) {
        std::perror(filename);
        return kFailed;
    }
    // Opening a folder succeeds on POSIX and fails on Windows; either way it
    // ends here, before the table is created and truncated.
    if (adconv::is_directory(ifp)) {
        report(EISDIR, filename);
        return kFailed;
    }
    if (is_table_file(filename)) {
        std::fprintf(stderr, "%s: input file is the table file\n", filename);
        return kFailed;
    }

    static adconv::TableFile table;  // holds a 1 MiB buffer: not for the stack
    if (!table.open()) {
        std::perror(adconv::kTableName);
        return kFailed;
    }
    table.write_header();
    const adconv::ConvertResult result = adconv::convert_records(ifp, table);
    if (result.read_error != 0)
        report(result.read_error, filename);
    if (!table.flush())
        report(table.error(), adconv::kTableName);

    std::printf("%" PRId64 " records converted from file %s\n", result.records, filename);
    const bool summary_written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!summary_written)
        std::perror("stdout");

    std::fclose(ifp);
    const bool flushed_before = !table.failed();
    if (!table.close() && flushed_before)
        report(table.error(), adconv::kTableName);

    if (table.failed())
        return kTableIncomplete;
    return summary_written && result.read_error == 0 ? 0 : kFailed;
}

// adconv: converts a binary sample file into the table file "adtable".
#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include "convert.h"
#include "platform.h"
#include "table_file.h"

enum ExitStatus { kConverted = 0, kFailed = 1, kTableIncomplete = 255 };
// All of adconv's large memory, made once for the run and not on the stack.
static adconv::InputBlock input_block;
static adconv::RowBuffer row_buffer;

static void report(int error, const char* prefix)
{
    errno = error;
    std::perror(prefix);
}

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "Usage: %s filename\n", argc > 0 ? argv[0] : "adconv");
        return kFailed;
    }
    const char* filename = argv[1];
    // Refused before the table is touched: a folder, and the table itself under any name.
    std::FILE* ifp = std::fopen(filename, "rb");
    if (ifp == nullptr || adconv::is_directory(ifp)) {
        report(ifp == nullptr ? errno : EISDIR, filename);
        return kFailed;
    }
    if (adconv::names_table(filename)) {
        std::fprintf(stderr, "%s: input file is the table file\n", filename);
        return kFailed;
    }
    std::setvbuf(ifp, nullptr, _IONBF, 0);  // blocks are read straight into place
    adconv::TableFile table(row_buffer);
    if (!table.open()) {
        std::perror(adconv::kTableName);
        return kFailed;
    }
    table.write_header();
    const adconv::ConvertResult result = adconv::convert_records(ifp, input_block, table);
    std::fclose(ifp);
    if (result.read_error != 0)
        report(result.read_error, filename);
    const bool table_written = table.close();
    if (!table_written)
        report(table.error(), adconv::kTableName);
    // Printed after a failure too: it counts the records read and handed to the table.
    std::printf("%" PRId64 " records converted from file %s\n", result.records, filename);
    const bool summary_written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!summary_written)
        std::perror("stdout");
    if (!table_written)
        return kTableIncomplete;
    return summary_written && result.read_error == 0 ? kConverted : kFailed;
}

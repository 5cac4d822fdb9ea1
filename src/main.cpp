// adconv: converts a binary sample file into the table file "adtable".
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "convert.h"
#include "platform.h"
#include "table_file.h"

enum ExitStatus { kConverted = 0, kFailed = 1, kTableIncomplete = 255 };
// All of adconv's large memory, made once for the run and not on the stack.
static adconv::InputBlock input_block;
static adconv::RowBuffer row_buffer;

// Writes one message, piece by piece; false when any piece is lost.
static bool say(std::FILE* stream, std::initializer_list<const char*> pieces)
{
    bool written = true;
    for (const char* piece : pieces)
        written = adconv::write_text(stream, piece) && written;
    return written;
}

// As perror writes it: "PREFIX: " (nothing for an empty prefix), then the
// system's text for the error.
static void report(int error, const char* prefix)
{
    const char* text = std::strerror(error);
    if (*prefix == '\0')
        say(stderr, {text, "\n"});
    else
        say(stderr, {prefix, ": ", text, "\n"});
}

int main(int argc, char* argv[])
{
    if (argc < 2) {
        say(stderr, {"Usage: ", argc > 0 ? argv[0] : "adconv", " filename\n"});
        return kFailed;
    }
    const char* filename = argv[1];
    // Refused before the table is touched: a folder, the table itself under
    // any name, and a TZ that this system would misread.
    std::FILE* ifp = adconv::open_input(filename);
    if (ifp == nullptr) {
        report(errno, filename);
        return kFailed;
    }
    if (adconv::same_file(ifp, adconv::kTableName)) {
        say(stderr, {filename, ": input file is the table file\n"});
        return kFailed;
    }
    if (!adconv::time_zone_readable()) {
        say(stderr, {"TZ=", std::getenv("TZ"),
                     ": this system reads TZ only as NAME[+|-]hh[:mm[:ss]][DST], for example CET-1CEST or UTC0;"
                     " unset TZ for the system's time zone\n"});
        return kFailed;
    }
    std::setvbuf(ifp, nullptr, _IONBF, 0);  // blocks are read straight into place
    adconv::TableFile table(row_buffer);
    if (!table.open()) {
        report(errno, adconv::kTableName);
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
    char count[24];
    std::snprintf(count, sizeof count, "%" PRId64, result.records);
    errno = 0;
    const bool summary_written = say(stdout, {count, " records converted from file ", filename, "\n"}) &&
                                 std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!summary_written)
        report(errno != 0 ? errno : EIO, "stdout");
    if (!table_written)
        return kTableIncomplete;
    return summary_written && result.read_error == 0 ? kConverted : kFailed;
}

// adconv: converts a binary sample file into the table file "adtable".
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "convert.h"
#include "messages.h"
#include "platform.h"
#include "table_file.h"

using adconv::report;
using adconv::say;

enum ExitStatus { kConverted = 0, kFailed = 1, kTableIncomplete = 255 };
// All of adconv's large memory, made once for the run and not on the stack.
static adconv::InputBlock input_block;
static adconv::RowBuffer row_buffer;

int main(int argc, char* argv[])
{
    if (argc < 2) {
        say(stderr, {"Usage: ", argc > 0 ? argv[0] : "adconv", " filename"});
        return kFailed;
    }
    const char* filename = argv[1];
    // Refused before the table is touched: an input that cannot be read, a
    // TZ that this system would misread, a table another run is writing,
    // and the table itself under any name.
    std::FILE* ifp = adconv::open_input(filename);
    if (ifp == nullptr) {
        if (const char* note = adconv::input_name_note(filename))
            say(stderr, {filename, ": ", note});
        else
            report(errno, filename);
        return kFailed;
    }
    if (const char* why = adconv::time_zone_refusal()) {
        say(stderr, {"TZ=", std::getenv("TZ"), ": ", why});
        return kFailed;
    }
    std::FILE* ofp = adconv::open_table(adconv::kTableName);
    if (ofp == nullptr) {
        if (errno == EBUSY)
            say(stderr, {adconv::kTableName, ": another run is writing it (or another program has it open);"
                                             " left untouched"});
        else
            report(errno, adconv::kTableName);
        return kFailed;
    }
    // Compared as two open files, so the table cannot be swapped for the
    // input between the check and the emptying.
    if (adconv::same_file(ifp, ofp)) {
        say(stderr, {filename, ": input file is the table file"});
        return kFailed;
    }
    if (!adconv::empty_table(ofp)) {
        report(errno, adconv::kTableName);
        return kFailed;
    }
    std::setvbuf(ifp, nullptr, _IONBF, 0);  // blocks are read straight into place
    adconv::TableFile table(ofp, row_buffer);
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
    const bool summary_written = say(stdout, {count, " records converted from file ", filename}) &&
                                 std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!summary_written)
        report(adconv::last_error(), "stdout");
    if (!table_written)
        return kTableIncomplete;
    return summary_written && result.read_error == 0 ? kConverted : kFailed;
}

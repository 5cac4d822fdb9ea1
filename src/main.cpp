// adconv: converts a binary sample file into the table file "adtable".
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "convert.h"
#include "messages.h"
#include "platform.h"
#include "table_file.h"
#include "time_zone.h"

using adconv::say;
using adconv::warnc;
using adconv::warnx;

enum ExitStatus { kConverted = 0, kFailed = 1, kTableIncomplete = 255 };
// All of adconv's large memory, made once for the run and not on the stack.
static adconv::InputBlock input_block;
static adconv::RowBuffer row_buffer;

static const char kHelp[] =
    "Usage: adconv FILE\n"
    "Converts the sample file FILE (36-byte records: a time stamp and sixteen 16-bit\n"
    "readings of two converters, ad1 and ad2) into the tab-separated table adtable\n"
    "in the current folder, one row per record with its local date and time (from\n"
    "TZ, or the system's time zone) and the readings scaled so full scale reads 2.5,\n"
    "then says how many records it converted. One file per run: the README shows\n"
    "a loop for many. The manual (man adconv; adconv.txt on Windows) has the rest.";

// Answers --help or --version, the only options, and returns the exit
// status; -1 where the argument is a file name.
static int answer_option(const char* arg)
{
    const char* answer = std::strcmp(arg, "--help") == 0      ? kHelp
                         : std::strcmp(arg, "--version") == 0 ? "adconv " ADCONV_VERSION
                                                              : nullptr;
    if (answer == nullptr)
        return -1;
    if (say("%s", answer))
        return kConverted;
    warnc(adconv::last_error(), "stdout");
    return kFailed;
}

// The emptied table, or nullptr once the reason it cannot be had is said.
static std::FILE* open_table(std::FILE* ifp, const char* filename)
{
    const adconv::TableOpening opened = adconv::open_table(adconv::kTableName, ifp);
    switch (opened.outcome) {
    case adconv::TableOpening::kOpened:
        return opened.fp;
    case adconv::TableOpening::kHeld:
        warnx("%s: %s; left untouched", adconv::kTableName, adconv::kTableHeldBy);
        break;
    case adconv::TableOpening::kIsInput:
        warnx("%s: input file is the table file", filename);
        break;
    case adconv::TableOpening::kFailed:
        warnc(opened.error, "%s", adconv::kTableName);
        break;
    }
    return nullptr;
}

int main(int argc, char* argv[])
{
    if (!adconv::reserve_standard_streams())
        return kFailed;  // nowhere safe to say so
    if (argc < 2) {
        warnx("Usage: %s filename", argc > 0 ? argv[0] : "adconv");
        return kFailed;
    }
    if (const int status = argc == 2 ? answer_option(argv[1]) : -1; status >= 0)
        return status;
    if (argc > 2)
        warnx("adconv: %d more arguments ignored; it converts one file per run (the README shows a loop for many)",
              argc - 2);
    const char* filename = argv[1];
    // Refused before the table is touched: an input that cannot be read, a
    // TZ that this system would misread, a table another run is writing,
    // and the table itself under any name.
    std::FILE* ifp = adconv::open_input(filename);
    if (ifp == nullptr) {
        if (const char* note = adconv::input_name_note(filename))
            warnx("%s: %s", filename, note);
        else
            warnc(errno, "%s", filename);
        return kFailed;
    }
    adconv::ZoneModel zone;
    if (const char* refusal = adconv::load_time_zone(zone)) {
        warnx("%s", refusal);
        return kFailed;
    }
    std::FILE* ofp = open_table(ifp, filename);
    if (ofp == nullptr)
        return kFailed;
    std::setvbuf(ifp, nullptr, _IONBF, 0);  // blocks are read straight into place
    adconv::TableFile table(ofp, row_buffer, zone);
    table.write_header();
    const adconv::ConvertResult result = adconv::convert_records(ifp, input_block, table);
    std::fclose(ifp);
    if (result.read_error != 0)
        warnc(result.read_error, "%s", filename);
    const bool table_written = table.close();
    if (!table_written)
        warnc(table.error(), "%s", adconv::kTableName);
    // Printed after a failure too: it counts the records whose rows the table took.
    const bool summary_written =
        say("%lld records converted from file %s", static_cast<long long>(result.records), filename);
    if (!summary_written)
        warnc(adconv::last_error(), "stdout");
    if (!table_written)
        return kTableIncomplete;
    return summary_written && result.read_error == 0 ? kConverted : kFailed;
}

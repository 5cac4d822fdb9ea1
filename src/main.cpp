// adconv: converts a binary sample file into the table file "adtable".
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "convert.h"
#include "messages.h"
#include "platform.h"
#include "time_zone.h"

using namespace adconv;  // this file only wires adconv's parts

enum ExitStatus { kConverted = 0, kFailed = 1, kTableIncomplete = 255 };

static const char kHelp[] =
    "Usage: adconv FILE\n"
    "Converts the sample file FILE (36-byte records: a time stamp and sixteen 16-bit\n"
    "readings of two converters, ad1 and ad2) into the tab-separated table adtable\n"
    "in the current folder, one row per record with its local date and time (from\n"
    "TZ, or the system's time zone) and the readings scaled so full scale reads 2.5,\n"
    "then says how many records it converted. One file per run: the README shows\n"
    "a loop for many. The manual (man adconv; adconv.txt on Windows) has the rest.";

// Answers --help or --version, the only options, on standard output and
// returns the exit status; -1 where the argument is a file name.
static int answer_option(const char* arg)
{
    const char* answer = std::strcmp(arg, "--help") == 0      ? kHelp
                         : std::strcmp(arg, "--version") == 0 ? "adconv " ADCONV_VERSION
                                                              : nullptr;
    if (answer == nullptr)
        return -1;
    if (say("%s", answer))
        return 0;
    warnc(last_error(), "stdout");
    return 1;
}

// The emptied table, or the outcome that says why it cannot be had, said.
static TableOpening open_table_or_say(std::FILE* ifp, const char* filename)
{
    const TableOpening opened = open_table(kTableName, ifp);
    switch (opened.outcome) {
    case TableOpening::kOpened:
        return opened;
    case TableOpening::kHeld:
        warnx("%s: %s; left untouched", kTableName, kTableHeldBy);
        break;
    case TableOpening::kIsInput:
        warnx("%s: input file is the table file", filename);
        break;
    case TableOpening::kIsStandardOutput:
        if (opened.emptied)
            warnx("%s: standard output is the table file, which the shell emptied before adconv started (>> would"
                  " have kept it)", kTableName);
        else
            warnx("%s: standard output is the table file; left untouched", kTableName);
        break;
    case TableOpening::kIsStandardError:  // so the line goes to standard output
        say("%s: standard error is the table file; left untouched", kTableName);
        break;
    case TableOpening::kFailed:
        if (stop_signal() != 0 && opened.error == EINTR)  // while a FIFO waited for its reader
            warnx("adconv: interrupted; %s left untouched", kTableName);
        else
            warnc(opened.error, "%s", kTableName);
        break;
    }
    return opened;
}

int main(int argc, char* argv[])
{
    if (!reserve_standard_streams())
        return kFailed;  // nowhere safe to say so
    if (argc < 2) {
        warnx("Usage: %s filename", argc > 0 ? argv[0] : "adconv");
        return kFailed;
    }
    if (const int status = argc == 2 ? answer_option(argv[1]) : -1; status >= 0)
        return status;
    if (argc > 2)
        warnx("adconv: %d more argument%s ignored; it converts one file per run (the README shows a loop for many)",
              argc - 2, argc == 3 ? "" : "s");
    const char* filename = argv[1];
    // Refused before the table is touched: an input that cannot be read, a TZ that would
    // not give this system's times, a table another run is writing or that is a stream.
    std::FILE* ifp = open_input(filename);
    if (ifp == nullptr) {
        const int error = errno;  // -h, say, is no option of adconv's but a name
        const char* note = filename[0] == '-' && error == ENOENT
                               ? "no such file; adconv takes the name of a sample file (adconv --help says more)"
                               : input_name_note(filename);
        if (note != nullptr)
            warnx("%s: %s", filename, note);
        else
            warnc(error, "%s", filename);
        return kFailed;
    }
    ZoneModel zone;
    if (const char* refusal = load_time_zone(zone)) {
        warnx("%s", refusal);
        return kFailed;
    }
    catch_signals();
    const TableOpening opened = open_table_or_say(ifp, filename);
    if (opened.outcome != TableOpening::kOpened) {
        if (stop_signal() != 0)
            end_by_signal(stop_signal());
        return kFailed;
    }
    static RowBuffer row_buffer;  // 1 MiB, not on the stack
    TableFile table(opened.fp, opened.regular, row_buffer);
    const int read_error = convert_records(ifp, zone, table);
    std::fclose(ifp);
    if (read_error != 0)
        warnc(read_error, "%s", filename);
    const bool table_written = table.close();
    // A write that a stop signal cut short is no failure of the table's.
    if (!table_written && !(stop_signal() != 0 && table.error() == EINTR))
        warnc(table.error(), "%s", kTableName);
    const long long records = table.rows();  // whole rows only
    const auto say_interrupted = [&] {
        warnx("adconv: interrupted; %s holds the rows of the first %lld records", kTableName, records);
    };
    const bool stopped_in_run = stop_signal() != 0;
    if (stopped_in_run)
        say_interrupted();
    // Printed after a failure too: it counts the records whose rows the table took.
    const bool summary_written = say("%lld records converted from file %s", records, filename);
    const int stopped_by = stop_signal();  // perhaps while the summary waited on a pipe
    if (!summary_written && !(stopped_by != 0 && last_error() == EINTR))
        warnc(last_error(), "stdout");
    if (stopped_by != 0) {
        if (!stopped_in_run)
            say_interrupted();
        end_by_signal(stopped_by);
    }
    if (!table_written)
        return kTableIncomplete;
    return summary_written && read_error == 0 ? kConverted : kFailed;
}

#include "convert.h"

#include <cerrno>

#include "messages.h"
#include "platform.h"

namespace adconv {

namespace {

// Records are read a block at a time: with one fread a record the whole
// run took a quarter longer in the benchmark. 4096 records are 144 KiB, too
// large for the stack.
constexpr std::size_t kBlockRecords = 4096;
sampleRecord block[kBlockRecords];

}  // namespace

int convert_records(std::FILE* in, const ZoneModel& zone, TableFile& table)
{
    LocalTimeText times(zone);
    const ValueField* values = value_fields();
    errno = 0;
    // A stop signal ends the run between blocks, and cuts short a read
    // that waits on a pipe.
    for (std::size_t got = kBlockRecords; got == kBlockRecords && stop_signal() == 0;) {
        // A short block is the end of the data or an error: a piece past
        // its last whole record is never the start of one more.
        got = std::fread(block, sizeof block[0], kBlockRecords, in);
        for (std::size_t i = 0; i < got; ++i) {
            char* row = table.add_row();
            if (row == nullptr)
                return 0;
            format_row(block[i], times, values, row);
        }
    }
    return std::ferror(in) && stop_signal() == 0 ? last_error() : 0;
}

}  // namespace adconv

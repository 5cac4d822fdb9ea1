// The record loop, and the texts it puts together into rows.
#include "convert.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform.h"

namespace adconv {

void format_value(unsigned count, char* out)
{
    // Hundred-thousandths of count / kCountsPerVolt, rounded half up. The
    // product needs 34 bits, more than a long holds on Windows.
    const std::uint64_t q = (std::uint64_t{200000} * count + kCountsPerVolt) / (2 * kCountsPerVolt);
    std::uint32_t frac = static_cast<std::uint32_t>(q % 100000);
    out[0] = static_cast<char>('0' + q / 100000);
    out[1] = '.';
    for (int i = 6; i >= 2; --i) {
        out[i] = static_cast<char>('0' + frac % 10);
        frac /= 10;
    }
}

namespace {

struct ValueTable {
    ValueField fields[kCountRange];
    ValueTable()
    {
        for (unsigned c = 0; c < kCountRange; ++c) {
            fields[c][0] = '\t';
            format_value(c, fields[c] + 1);
        }
    }
};

// Records are read a block at a time: with one fread a record the whole
// run took a quarter longer in the benchmark. 4096 records are 144 KiB, too
// large for the stack.
constexpr std::size_t kBlockRecords = 4096;
sampleRecord block[kBlockRecords];

}  // namespace

const ValueField* value_fields()
{
    static const ValueTable table;
    return table.fields;
}

void format_row(const sampleRecord& record, LocalTimeText& times, const ValueField* values, char* out)
{
    times.format(decode_rtc(record), out);
    char* p = out + kTimeWidth;
    for (std::size_t ch = 0; ch < kChannelCount; ++ch, p += kValueFieldWidth)
        std::memcpy(p, values[decode_count(record, ch)], kValueFieldWidth);
    p[0] = '\r';
    p[1] = '\n';
}

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

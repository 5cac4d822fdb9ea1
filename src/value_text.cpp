#include "value_text.h"

#include <cstdint>

#include "sample_record.h"

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

}  // namespace

const ValueField* value_fields()
{
    static const ValueTable table;
    return table.fields;
}

}  // namespace adconv

// Fuzz target: record bytes to row text. The first byte picks a time zone;
// the rest is cut into records formatted one after another with one time
// cache, as the converter does, and each row is checked.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "convert.h"
#include "table_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    adconv::LocalTimeText times(adconv_fuzz::select_zone(data[0]));
    const adconv::ValueField* values = adconv::value_fields();
    char row[adconv::kRowSize];
    for (std::size_t at = 1; size - at >= adconv::kRecordSize; at += adconv::kRecordSize) {
        const adconv::sampleRecord record = adconv_fuzz::record_from(data + at);
        adconv::format_row(record, times, values, row);
        adconv_fuzz::check_row(record, row);
    }
    return 0;
}

// From records to rows: the text of a scaled count, a record's row, and the
// record loop that reads the input to its end and gives the table a row for
// each record.
#ifndef ADCONV_CONVERT_H
#define ADCONV_CONVERT_H

#include <cstddef>
#include <cstdio>

#include "sample_record.h"
#include "table_file.h"
#include "time_text.h"
#include "zone_model.h"

namespace adconv {

// Writes the text of a scaled count, count / kCountsPerVolt rounded to five
// decimals: always kValueWidth characters ("0.00000" .. "2.50000"), no
// terminator. Exact integer rounding; no count falls on a tie, so this
// matches "%7.5f" of the count times kVoltsPerCount.
constexpr std::size_t kValueWidth = 7;
constexpr unsigned kCountRange = 65536;
void format_value(unsigned count, char* out);

// "\t" and the value text of every count, so a row copies each column with
// one fixed-size move; built once, on first use.
constexpr std::size_t kValueFieldWidth = 1 + kValueWidth;
using ValueField = char[kValueFieldWidth];
const ValueField* value_fields();

// Writes the kRowSize bytes of the record's row: the time column, a tab and
// a value for each channel, CR LF; `values` is value_fields().
static_assert(kTimeWidth + kChannelCount * kValueFieldWidth + 2 == kRowSize, "a row is its columns and CR LF");
void format_row(const sampleRecord& record, LocalTimeText& times, const ValueField* values, char* out);

// Reads `in` to its end a record at a time and writes each one's row to the
// table, until the input ends, a write to the table fails or a stop signal
// comes. A trailing piece shorter than a record is not a record and is
// dropped without a word. Returns errno of a read that failed before the
// end, else 0.
int convert_records(std::FILE* in, const ZoneModel& zone, TableFile& table);

}  // namespace adconv

#endif

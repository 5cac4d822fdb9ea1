// The record loop: whole records from the input, one row each.
#ifndef ADCONV_CONVERT_H
#define ADCONV_CONVERT_H

#include <cstdint>
#include <cstdio>

#include "sample_record.h"
#include "table_file.h"

namespace adconv {

struct ConvertResult {
    std::int64_t records = 0;  // rows the table took; a long may hold only 2^31 - 1
    int read_error = 0;        // errno of a read that failed before the end, else 0
};

// The block whole records are read into: 144 KiB, whole pages and whole
// records, too large for the stack, so the caller decides where it lives.
struct InputBlock {
    sampleRecord records[4096];
};

// Reads `in` to its end a block at a time, so memory stays constant, or
// until a write to the table fails. A trailing piece shorter than a record
// is not a record and is dropped without a word. The blocks are read straight into place, so an unbuffered
// `in` saves a copy.
ConvertResult convert_records(std::FILE* in, InputBlock& block, TableFile& table);

}  // namespace adconv

#endif

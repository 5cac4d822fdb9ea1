// The record loop: whole records from the input, one row each.
#ifndef ADCONV_CONVERT_H
#define ADCONV_CONVERT_H

#include <cstdint>
#include <cstdio>

#include "table_file.h"

namespace adconv {

struct ConvertResult {
    std::int64_t records = 0;  // rows handed to the table; a long may hold only 2^31 - 1
    int read_error = 0;        // errno of a read that failed before the end, else 0
};

// Reads `in` to its end in large blocks, so memory stays constant and a pipe
// may deliver the data in pieces of any size. A trailing piece shorter than
// a record is not a record and is dropped without a word. `in` is made
// unbuffered (the blocks are read straight into place), so nothing may have
// been read from it before.
ConvertResult convert_records(std::FILE* in, TableFile& table);

}  // namespace adconv

#endif

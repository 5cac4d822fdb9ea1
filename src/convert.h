// The record loop: whole records from the input, one row each.
#ifndef ADCONV_CONVERT_H
#define ADCONV_CONVERT_H

#include <cstdio>

#include "table_file.h"
#include "zone_model.h"

namespace adconv {

// Reads `in` to its end a record at a time and writes each one's row to the
// table, until the input ends, a write to the table fails or a stop signal
// comes. A trailing piece shorter than a record is not a record and is
// dropped without a word. Returns errno of a read that failed before the
// end, else 0.
int convert_records(std::FILE* in, const ZoneModel& zone, TableFile& table);

}  // namespace adconv

#endif

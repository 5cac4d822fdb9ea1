// The table as its description reads, for the tests and the fuzz checks to
// compare with: the header as literal text, and one row made the plain
// way, with the C library's localtime and one snprintf of the row format.
#ifndef ADCONV_ROW_ORACLE_H
#define ADCONV_ROW_ORACLE_H

#include <string>

namespace adconv_test {

// The empty line and the header, CR LF after each.
extern const char kPlainHeader[];
// The time column of a stamp that has no local time here.
extern const char kPlaceholder[];

// The row, CR LF included, of the 36 stored bytes of a record.
std::string plain_row(const unsigned char* record);

}  // namespace adconv_test

#endif

// Text of a scaled count: count / kCountsPerVolt rounded to five decimals, always
// seven characters ("0.00000" .. "2.50000").
#ifndef ADCONV_VALUE_TEXT_H
#define ADCONV_VALUE_TEXT_H

#include <cstddef>

namespace adconv {

constexpr std::size_t kValueWidth = 7;
constexpr unsigned kCountRange = 65536;

// Writes exactly kValueWidth characters, no terminator. Exact integer
// rounding; no count falls on a tie, so this matches "%7.5f" of the count
// times kVoltsPerCount.
void format_value(unsigned count, char* out);

// "\t" followed by the value text, for every count, so a row copies each
// column with one fixed-size move. Built once on first use; a count's field
// is value_fields()[count].
constexpr std::size_t kValueFieldWidth = 1 + kValueWidth;
using ValueField = char[kValueFieldWidth];
const ValueField* value_fields();

}  // namespace adconv

#endif

// Text of a scaled count: count / kCountsPerVolt rounded to five decimals, always
// seven characters ("0.00000" .. "2.50000").
#ifndef ADCONV_VALUE_TEXT_H
#define ADCONV_VALUE_TEXT_H

#include <cstddef>

namespace adconv {

constexpr std::size_t kValueWidth = 7;
constexpr unsigned kCountRange = 65536;

// Writes exactly kValueWidth characters, no terminator. Exact integer
// rounding; no count falls on a tie, so this matches "%7.5f" of scale_count().
void format_value(unsigned count, char* out);

// "\t" followed by the value text, for every count, so a row copies each
// column with one fixed-size move. Built once on first use.
//
// The table is indexed by a count's two stored bytes taken as
// field_index(first, second) = first | second << 8, not by the count itself
// (first << 8 | second): on a little-endian machine that index is one plain
// 16-bit load, with no byte swap for each column of each row.
constexpr std::size_t kValueFieldWidth = 1 + kValueWidth;
using ValueField = char[kValueFieldWidth];
const ValueField* value_fields();

inline unsigned field_index(unsigned char first, unsigned char second)
{
    return static_cast<unsigned>(first) | static_cast<unsigned>(second) << 8;
}

inline unsigned field_index(unsigned count)
{
    return field_index(static_cast<unsigned char>(count >> 8), static_cast<unsigned char>(count & 0xFF));
}

}  // namespace adconv

#endif

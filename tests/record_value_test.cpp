// Decoding of record bytes and the text of scaled counts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_record.h"
#include "convert.h"
#include "table_file.h"
#include "test_support.h"

using adconv::kValueWidth;
using adconv_test::Counts;
using adconv_test::make_record;
using adconv_test::set_tz;

namespace {

std::string value_text(unsigned count)
{
    char out[kValueWidth];
    adconv::format_value(count, out);
    return std::string(out, kValueWidth);
}

// count * 100000 / 26214 rounded to the nearest integer, then written with
// five decimals, computed without the code under test's formula.
std::string exact_text(unsigned count)
{
    const std::uint64_t n = std::uint64_t{100000} * count;
    std::uint64_t q = n / 26214;
    if (2 * (n % 26214) >= 26214)
        ++q;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%05u", static_cast<unsigned>(q / 100000), static_cast<unsigned>(q % 100000));
    return buf;
}

}  // namespace

TEST(record, decodes_big_endian)
{
    Counts counts{};
    counts[0] = 0x0102;
    counts[7] = 0x8000;
    counts[8] = 0xFFFF;
    counts[15] = 0x00FF;
    const adconv::sampleRecord r = make_record(0x3B9ACA00, counts);
    EXPECT_EQ(r.rtc[0], 0x3B);
    EXPECT_EQ(adconv::decode_rtc(r), 1000000000u);
    // The counts as the table writer reads them, through its own row.
    adconv::LocalTimeText times(set_tz("UTC"));
    char row[adconv::kRowSize];
    adconv::format_row(r, times, adconv::value_fields(), row);
    const auto column = [&](std::size_t ch) { return std::string(row + adconv::kTimeWidth + ch * 8 + 1, 7); };
    EXPECT_EQ(std::string(row, adconv::kTimeWidth), "09/09/2001 01:46:40");
    EXPECT_EQ(column(0), "0.00984");  // 01 02 is 258, not 513
    EXPECT_EQ(column(7), "1.25002");
    EXPECT_EQ(column(8), "2.50000");  // never negative
    EXPECT_EQ(column(15), "0.00973");
    EXPECT_EQ(column(1), "0.00000");

    // Stamps from 2^31 up stay positive.
    EXPECT_EQ(adconv::decode_rtc(make_record(0x80000000, {})), 2147483648u);
    EXPECT_EQ(adconv::decode_rtc(make_record(0xFFFFFFFF, {})), 4294967295u);
}

TEST(value_text, every_count_is_exact_and_matches_printf)
{
    const adconv::ValueField* fields = adconv::value_fields();
    char printed[32];
    for (unsigned c = 0; c < adconv::kCountRange; ++c) {
        const std::string text = value_text(c);
        ASSERT_EQ(text, exact_text(c)) << "count " << c;
        std::snprintf(printed, sizeof printed, "%7.5f", c * adconv::kVoltsPerCount);
        ASSERT_EQ(text, printed) << "count " << c;
        const char* field = fields[c];
        ASSERT_EQ(field[0], '\t');
        ASSERT_EQ(std::string(field + 1, kValueWidth), text) << "count " << c;
    }
}

TEST(value_text, listed_byte_pairs)
{
    EXPECT_EQ(value_text(0x0000), "0.00000");
    EXPECT_EQ(value_text(0x0001), "0.00004");
    EXPECT_EQ(value_text(0x0102), "0.00984");
    EXPECT_EQ(value_text(0x3333), "0.50000");
    EXPECT_EQ(value_text(0x6666), "1.00000");
    EXPECT_EQ(value_text(0x8000), "1.25002");
    EXPECT_EQ(value_text(0xFFFF), "2.50000");
    EXPECT_DOUBLE_EQ(65535 * adconv::kVoltsPerCount, 2.5);
    EXPECT_DOUBLE_EQ(26214 * adconv::kVoltsPerCount, 1.0);
}

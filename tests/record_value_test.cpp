// Decoding of record bytes and the text of scaled counts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_record.h"
#include "test_support.h"
#include "value_text.h"

using adconv::kValueWidth;
using adconv_test::Counts;
using adconv_test::make_record;

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
    EXPECT_EQ(adconv::decode_count(r, 0), 258u);  // 01 02, not 513
    EXPECT_EQ(adconv::decode_count(r, 7), 32768u);
    EXPECT_EQ(adconv::decode_count(r, 8), 65535u);  // never negative
    EXPECT_EQ(adconv::decode_count(r, 15), 255u);
    EXPECT_EQ(adconv::decode_count(r, 1), 0u);

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
        std::snprintf(printed, sizeof printed, "%7.5f", adconv::scale_count(c));
        ASSERT_EQ(text, printed) << "count " << c;
        const char* field = fields[adconv::field_index(c)];
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
    EXPECT_DOUBLE_EQ(adconv::scale_count(65535), 2.5);
    EXPECT_DOUBLE_EQ(adconv::scale_count(26214), 1.0);
}

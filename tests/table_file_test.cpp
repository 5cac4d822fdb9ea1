// Rows and the table writer, checked against the C library's own formatting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "convert.h"
#include "file_id.h"
#include "table_file.h"
#include "row_oracle.h"
#include "test_support.h"

using adconv_test::Counts;
using adconv_test::make_record;
using adconv_test::set_tz;

namespace {

// The plain row of a record made from a stamp and counts.
std::string plain_row(std::uint32_t rtc, const Counts& c)
{
    return adconv_test::plain_row(reinterpret_cast<const unsigned char*>(adconv_test::record_bytes(rtc, c).data()));
}

std::string row_text(adconv::LocalTimeText& times, std::uint32_t rtc, const Counts& c)
{
    char out[adconv::kRowSize];
    adconv::format_row(make_record(rtc, c), times, adconv::value_fields(), out);
    return std::string(out, sizeof out);
}

}  // namespace

TEST(table_file, rows_match_plain_formatting)
{
    adconv::LocalTimeText times(set_tz("Europe/Berlin"));
    std::mt19937 rng(36);
    Counts zeros{};
    Counts full;
    full.fill(65535);
    EXPECT_EQ(row_text(times, 0, zeros), plain_row(0, zeros));
    EXPECT_EQ(row_text(times, 0xFFFFFFFF, full), plain_row(0xFFFFFFFF, full));
    const std::string jan = row_text(times, 1768000000, zeros);  // January 2026
    EXPECT_EQ(jan.substr(0, 3), "01/");
    EXPECT_EQ(row_text(times, 1797000000, zeros).substr(0, 3), "12/");
    for (int i = 0; i < 20000; ++i) {
        Counts c;
        for (unsigned& x : c)
            x = rng() & 0xFFFF;
        const std::uint32_t t = i % 2 ? static_cast<std::uint32_t>(rng()) : 1774740000u + static_cast<unsigned>(i);
        const std::string row = row_text(times, t, c);
        ASSERT_EQ(row, plain_row(t, c)) << "t=" << t;
        ASSERT_EQ(row.size(), 149u);
    }
    set_tz("UTC");
}

TEST(table_file, writes_header_and_rows_in_blocks)
{
    adconv::LocalTimeText times(set_tz("UTC"));
    adconv_test::TempDir dir;
    const std::string path = dir / "table";
    const auto buffer = std::make_unique<adconv::RowBuffer>();
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    adconv::TableFile table(fp, true, *buffer);
    std::string expected = adconv_test::kPlainHeader;
    // One and a half buffers: the header shifts every block's end into a row.
    const std::size_t rows = adconv::RowBuffer::kRows * 3 / 2;
    Counts c{};
    for (std::size_t i = 0; i < rows; ++i) {
        c[i % 16] = static_cast<unsigned>(i * 7919) & 0xFFFF;
        const std::uint32_t t = static_cast<std::uint32_t>(i * 7);
        expected += plain_row(t, c);
        char* row = table.add_row();
        ASSERT_NE(row, nullptr);
        adconv::format_row(make_record(t, c), times, adconv::value_fields(), row);
    }
    ASSERT_TRUE(table.close());
    EXPECT_EQ(table.error(), 0);
    EXPECT_EQ(table.rows(), static_cast<std::int64_t>(rows));
    EXPECT_EQ(adconv_test::read_file(path), expected);
}

#ifndef _WIN32
// /dev/full, and a folder that opens as a stream, exist only on POSIX.
TEST(table_file, keeps_the_first_write_failure)
{
    if (!adconv_test::has_dev_full())
        GTEST_SKIP() << "/dev/full is missing";
    const auto buffer = std::make_unique<adconv::RowBuffer>();
    std::FILE* fp = std::fopen("/dev/full", "wb");
    ASSERT_NE(fp, nullptr);
    adconv::TableFile table(fp, false, *buffer);
    // Rows until the first block fails; no later one is tried.
    std::size_t taken = 0;
    while (taken < 2 * adconv::RowBuffer::kRows && table.add_row() != nullptr)
        ++taken;
    EXPECT_EQ(taken, adconv::RowBuffer::kRows - 1);  // the header took a row's room
    EXPECT_EQ(table.error(), ENOSPC);
    EXPECT_FALSE(table.close());
    EXPECT_EQ(table.error(), ENOSPC);
    EXPECT_EQ(table.rows(), 0);
}

TEST(convert, passes_on_a_read_error)
{
    adconv_test::TempDir dir;
    std::FILE* in = std::fopen(dir.path().c_str(), "rb");
    ASSERT_NE(in, nullptr);
    const auto rows = std::make_unique<adconv::RowBuffer>();
    std::FILE* out = std::fopen((dir / "table").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    adconv::TableFile table(out, true, *rows);
    EXPECT_EQ(adconv::convert_records(in, set_tz("UTC"), table), EISDIR);
    std::fclose(in);
    EXPECT_TRUE(table.close());
    EXPECT_EQ(table.rows(), 0);
}
#endif

TEST(table_file, file_ids_tell_the_table_from_its_input)
{
    adconv::FileId a, b;
    EXPECT_FALSE(adconv::same_file_id(a, b));  // all zero: no identity, not one file
    a.file[15] = b.file[15] = 7;               // the high bytes of a 128-bit ID count too
    EXPECT_TRUE(adconv::same_file_id(a, b));
    b.volume = 1;
    EXPECT_FALSE(adconv::same_file_id(a, b));
    b.volume = 0;
    b.file[0] = 1;
    EXPECT_FALSE(adconv::same_file_id(a, b));
}

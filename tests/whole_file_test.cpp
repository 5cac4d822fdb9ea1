// Whole tables from adconv against the plain reference converter (one
// localtime and one fprintf per record), byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

using adconv_test::read_file;
using adconv_test::run_adconv;
using adconv_test::RunOptions;
using adconv_test::TempDir;

namespace {

struct FileCase {
    const char* mode;  // stamps: sequential, random or mixed
    const char* records;
    const char* first_stamp;
};

}  // namespace

TEST(whole_file, tables_equal_the_reference)
{
    TempDir dir;
    // Sizes cross the program's read and write blocks; the stamps cross
    // offset changes, 2038 and the end of the range.
    const FileCase files[] = {
        {"mixed", "30000", "1774700000"},
        {"mixed", "9000", "2147480000"},
        {"sequential", "20000", "1792880000"},
        {"random", "5000", "0"},
        {"sequential", "100", "4294967200"},
    };
    for (const char* tz : {"Europe/Berlin", "Australia/Lord_Howe", "Asia/Kathmandu", "EST5EDT,M3.2.0,M11.1.0"}) {
        for (const FileCase& f : files) {
            // Random stamps, and those from 2^31 on, need dates after 2038
            // (which the reference prints as 1901 with a 32-bit time_t).
            if (!adconv_test::dates_after_2038() &&
                (std::string(f.mode) != "sequential" || std::stoul(f.first_stamp) >= 0x80000000u))
                continue;
            const std::string name = std::string(f.mode) + "-" + f.records + "-" + f.first_stamp + ".bin";
            const std::string input = dir / name;
            RunOptions make;
            make.program = ADCONV_MAKE_SAMPLES;
            ASSERT_EQ(run_adconv(dir.path(), {input, f.records, f.mode, f.first_stamp}, make).status, 0);

            TempDir ours, theirs;
            RunOptions opts;
            opts.tz = tz;
            const auto a = run_adconv(ours.path(), {input}, opts);
            opts.program = ADCONV_REFERENCE;
            const auto b = run_adconv(theirs.path(), {input}, opts);
            ASSERT_EQ(a.status, 0) << name;
            ASSERT_EQ(b.status, 0) << name;
            EXPECT_EQ(a.out, b.out) << name;
            EXPECT_EQ(a.err, "") << name;
            const std::string table = read_file(ours / "adtable");
            EXPECT_EQ(table.size(), 119u + 149u * std::stoul(f.records)) << name;
            EXPECT_TRUE(table == read_file(theirs / "adtable")) << name << " under TZ=" << tz;
        }
    }
    if (!adconv_test::dates_after_2038())
        GTEST_SKIP() << adconv_test::kNoDatesAfter2038;
}

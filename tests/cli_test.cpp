// The real binary, run in temporary folders: exact table bytes, messages
// and exit statuses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "row_oracle.h"
#include "test_support.h"

using adconv_test::Counts;
using adconv_test::read_file;
using adconv_test::record_bytes;
using adconv_test::run_adconv;
using adconv_test::RunOptions;
using adconv_test::TempDir;
using adconv_test::write_file;

namespace {

const std::string kHeader = adconv_test::kPlainHeader;

std::string summary(long n, const std::string& path)
{
    return std::to_string(n) + " records converted from file " + path + "\n";
}

// n records with stamps a second apart and counts that vary per record.
std::string records(int n)
{
    std::string bytes;
    Counts c{};
    for (int i = 0; i < n; ++i) {
        for (std::size_t ch = 0; ch < c.size(); ++ch)
            c[ch] = static_cast<unsigned>(i * 977 + ch * 4099) & 0xFFFF;
        bytes += record_bytes(1000000000u + static_cast<unsigned>(i), c);
    }
    return bytes;
}

// The table of `data` read from a plain file, in a folder of its own.
std::string table_of(const std::string& data)
{
    TempDir dir;
    write_file(dir / "plain.bin", data);
    return run_adconv(dir.path(), {"plain.bin"}).status == 0 ? read_file(dir / "adtable") : "(no table)";
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

}  // namespace

TEST(cli, converts_example_byte_for_byte)
{
    // The Windows build's check compares its table with the same UTC file.
    const struct {
        const char* zone;
        const char* golden;
    } cases[] = {{"Europe/Berlin", "sample-berlin.adtable"}, {"UTC", "sample-utc.adtable"}};
    for (const auto& c : cases) {
        TempDir dir;
        RunOptions opts;
        opts.tz = c.zone;
        const auto r = run_adconv(dir.path(), {ADCONV_SOURCE_DIR "/examples/sample.bin"}, opts);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, summary(12, ADCONV_SOURCE_DIR "/examples/sample.bin"));
        EXPECT_EQ(read_file(dir / "adtable"), read_file(ADCONV_SOURCE_DIR "/tests/golden/" + std::string(c.golden)))
            << c.zone;
    }
}

TEST(cli, listed_records_in_utc)
{
    TempDir dir;
    Counts a{};
    Counts b;
    b.fill(0xFFFF);
    a[0] = 0x0001;
    a[1] = 0x0102;
    a[2] = 0x3333;
    a[3] = 0x6666;
    a[4] = 0x8000;
    write_file(dir / "in.bin", record_bytes(0x3B9ACA00, a) + record_bytes(0, b));
    const auto r = run_adconv(dir.path(), {"in.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, summary(2, "in.bin"));
    std::string zeros;
    for (int i = 0; i < 11; ++i)
        zeros += "\t0.00000";
    std::string fulls;
    for (int i = 0; i < 16; ++i)
        fulls += "\t2.50000";
    EXPECT_EQ(read_file(dir / "adtable"), kHeader + "09/09/2001 01:46:40\t0.00004\t0.00984\t0.50000\t1.00000\t1.25002" +
                                              zeros + "\r\n01/01/1970 00:00:00" + fulls + "\r\n");
}

TEST(cli, sizes_and_partial_records)
{
    TempDir dir;
    const std::string whole = records(3);
    // Empty input: only the empty line and the header.
    write_file(dir / "empty.bin", "");
    auto r = run_adconv(dir.path(), {"empty.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, summary(0, "empty.bin"));
    EXPECT_EQ(read_file(dir / "adtable"), kHeader);

    write_file(dir / "three.bin", whole);
    ASSERT_EQ(run_adconv(dir.path(), {"three.bin"}).status, 0);
    const std::string expected = read_file(dir / "adtable");
    ASSERT_EQ(expected.size(), 119u + 3 * 149u);

    // 36n + k bytes: n rows, the last k bytes dropped without a word.
    for (int k = 1; k < 36; ++k) {
        write_file(dir / "part.bin", whole + std::string(static_cast<std::size_t>(k), '\x5A'));
        r = run_adconv(dir.path(), {"part.bin"});
        ASSERT_EQ(r.status, 0) << "k=" << k;
        ASSERT_EQ(r.err, "") << "k=" << k;
        ASSERT_EQ(r.out, summary(3, "part.bin")) << "k=" << k;
        ASSERT_EQ(read_file(dir / "adtable"), expected) << "k=" << k;
    }
}

TEST(cli, arguments)
{
    TempDir dir;
    write_file(dir / "in.bin", records(2));

    // No argument: usage with the program's own name, no table.
    auto r = run_adconv(dir.path(), {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string("Usage: ") + ADCONV_BINARY + " filename\n");
    EXPECT_FALSE(exists(dir / "adtable"));

    // Extra arguments are said, and the first file converted as alone.
    r = run_adconv(dir.path(), {"in.bin", "more", "in.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "adconv: 2 more arguments ignored; it converts one file per run (the README shows a loop for many)\n");
    EXPECT_EQ(r.out, summary(2, "in.bin"));
    EXPECT_EQ(read_file(dir / "adtable").size(), 119u + 2 * 149u);
    r = run_adconv(dir.path(), {"in.bin", "more"});
    EXPECT_EQ(r.err, "adconv: 1 more argument ignored; it converts one file per run (the README shows a loop for many)\n");

    // The two options, each alone; anything else is a file name.
    r = run_adconv(dir.path(), {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "adconv 1.0.0\n");
    r = run_adconv(dir.path(), {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 20), "Usage: adconv FILE\nC");
    EXPECT_NE(r.out.find("man adconv"), std::string::npos);
    EXPECT_EQ(r.err, "");
    write_file(dir / "--help", records(1));
    r = run_adconv(dir.path(), {"./--help"});
    EXPECT_EQ(r.out, summary(1, "./--help"));
    r = run_adconv(dir.path(), {"--help", "in.bin"});
    EXPECT_EQ(r.out, summary(1, "--help"));

    // A path that names nothing leaves an existing table alone.
    write_file(dir / "adtable", "keep me");
    r = run_adconv(dir.path(), {"missing.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "missing.bin: No such file or directory\n");
    EXPECT_EQ(read_file(dir / "adtable"), "keep me");

    // A folder opens on POSIX, but is refused before the table is touched.
    std::filesystem::create_directory(dir / "data");
    r = run_adconv(dir.path(), {"data"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "data: Is a directory\n");
    EXPECT_EQ(read_file(dir / "adtable"), "keep me");

    // An empty path: the system's text alone, no prefix.
    r = run_adconv(dir.path(), {""});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No such file or directory\n");
    EXPECT_EQ(read_file(dir / "adtable"), "keep me");

    // -h and such are file names too, with a word on what adconv takes.
    r = run_adconv(dir.path(), {"-h"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "-h: no such file; adconv takes the name of a sample file (adconv --help says more)\n");

    // An existing table is replaced even when no record follows: a longer
    // one leaves nothing behind.
    ASSERT_EQ(run_adconv(dir.path(), {"in.bin"}).status, 0);
    write_file(dir / "empty.bin", "");
    // A new table gets the permissions the umask leaves, as any new file.
    std::filesystem::remove(dir / "adtable");
    RunOptions masked;
    masked.shell = "umask 027; exec \"$0\" \"$@\"";
    ASSERT_EQ(run_adconv(dir.path(), {"empty.bin"}, masked).status, 0);
    EXPECT_EQ(std::filesystem::status(dir / "adtable").permissions(), static_cast<std::filesystem::perms>(0640));
    r = run_adconv(dir.path(), {"empty.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(dir / "adtable"), kHeader);
}

// A version 2 zone file: no changes, `types` local time types of `east`
// seconds named AAA with summer-time flag `flag`, and the closing rule.
static std::string zone_file(int types, int east, char flag, const std::string& rule)
{
    std::string part = std::string("TZif2") + std::string(15, '\0');
    for (int count : {0, 0, 0, 0, types, 4})
        part += std::string({'\0', '\0', '\0', static_cast<char>(count)});
    for (int i = 0; i < types; ++i)
        part += record_bytes(static_cast<std::uint32_t>(east), {}).substr(0, 4) + flag + '\0';
    part += std::string("AAA") + '\0';
    return part + part + "\n" + rule + "\n";
}

TEST(cli, time_zone_comes_from_tz)
{
    TempDir dir;
    TempDir no_zones;
    const std::string tzdir = "TZDIR=" + no_zones.path();
    const std::string keep = "keep me";
    // Zone files cut short or damaged, which the C library would read as UTC or crash on.
    const std::string cut = no_zones / "cut", flag = no_zones / "flag", no_types = no_zones / "no-types",
                      rule_only = no_zones / "rule-only", empty_v1 = no_zones / "empty-v1";
    write_file(cut, read_file("/usr/share/zoneinfo/Europe/Berlin").substr(0, 60));
    write_file(flag, zone_file(1, 3600, 2, ""));
    write_file(no_types, zone_file(0, 0, 0, ""));
    // No change, and a closing rule with summer time, which then holds at every instant.
    write_file(rule_only, zone_file(1, 3600, 0, "CET-1CEST,M3.5.0,M10.5.0/3"));
    // Nothing for readers of 32-bit times, as version 2+ files may be written.
    write_file(empty_v1, std::string("TZif2") + std::string(39, '\0') + zone_file(1, 3600, 0, "AAA-1").substr(54));
    const std::string other_dates =
        "a summer-time name without its dates gets another zone's dates here; name the zone (for example"
        " Europe/Berlin) or give the whole rule (for example CET-1CEST,M3.5.0,M10.5.0/3)\n";
    const std::string not_regular = " is not a regular file, so no zone can be loaded from it\n";
    const std::string not_whole = " is not a whole zone file: ";
    const std::string west = " (offsets in TZ count west); for ";
    const std::string abbreviation =
        "an abbreviation names no zone (several zones share some); name the zone, for example Europe/Berlin or"
        " Asia/Kolkata (zone files are in /usr/share/zoneinfo), or give a rule, for example"
        " CET-1CEST,M3.5.0,M10.5.0/3\n";
    // Expected times worked out by hand from the zone or the rule.
    const struct {
        std::string tz;
        std::uint32_t stamp;
        const char* time;  // nullptr: refused, with the table untouched
        std::string refusal = "";  // how the line goes on; empty: there is no such zone
        std::string env = "";
    } cases[] = {
        {"America/New_York", 0, "12/31/1969 19:00:00"},
        {"Asia/Kathmandu", 1774746000u, "03/29/2026 06:45:00"},
        {":Europe/Berlin", 1774746000u, "03/29/2026 03:00:00"},
        {"/usr/share/zoneinfo/Europe/Berlin", 1774746000u, "03/29/2026 03:00:00"},
#if defined(__GLIBC__) || !defined(__linux__)  // musl reads a name without '/' as a rule
        {"PST8PDT", 1774746000u, "03/28/2026 18:00:00"},  // a zone file, not a rule without dates
#endif
        {"<+0330>-3:30", 1774746000u, "03/29/2026 04:30:00"},
        {"<+053000>-5:30", 0, "01/01/1970 05:30:00"},
        {"UTC0", 1774746000u, "03/29/2026 01:00:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1774746000u, "03/29/2026 03:00:00"},
        {"CET-1CEST,M003.5.0,M10.5.0/3", 1774746000u, "03/29/2026 03:00:00"},  // leading zeros
        {"AAA0BBB,J60/0,J300/0", 1772323200u, "03/01/2026 01:00:00"},
        {"AAA0BBB,59/0,300/0", 1772323200u, "03/01/2026 01:00:00"},      // zero-based day 59: 1 March
        {"AAA0BBB,J60/25,J300/0", 1772411400u, "03/02/2026 00:30:00"},   // 25 hours into 1 March
        {"AAA0BBB,J60/-1,J300/0", 1772321400u, "03/01/2026 00:30:00"},   // an hour before it
        {"AAA0BBB,J60/0,J60/0:00:30", 1772323229u, "03/01/2026 01:00:29"},  // summer time for 30 seconds
        {"", 1774746000u, "03/29/2026 01:00:00"},
        {empty_v1, 0, "01/01/1970 01:00:00"},
        {std::string(300, 'A') + "0", 0, "01/01/1970 00:00:00"},  // too long a name for a file: a rule
        // Each of these the C library would read as UTC, with other dates or
        // hours off, without a word, or would crash on.
        {"Europe/Berlim", 0, nullptr},
        {"Foo", 0, nullptr},
        {":Europe/Berln", 0, nullptr},
        {"Europe/Berlin ", 0, nullptr, "the value has a space or a line break around it; write TZ=Europe/Berlin\n"},
        {"CET-1CEST-1;M3.5.0,M10.5.0/3", 0, nullptr},
        {"CET-1CEST,M0.5.0,M10.5.0/3", 0, nullptr},
        {"CET-1CEST,M3.0.0,M10.5.0/3", 0, nullptr},
        {"CET-1CEST,M3.5.0,M10.0.0/3", 0, nullptr},
        {"AAA0BBB,J0/0,J300/0", 0, nullptr},
        {"Kolkata", 0, nullptr, "this system has no such time zone; it has Asia/Kolkata\n"},
        {"europe/berlin", 0, nullptr, "this system has no such time zone; it has Europe/Berlin\n"},
        {"ABCD", 0, nullptr, abbreviation},
        {"AEST", 0, nullptr,
         "an abbreviation names no zone; AEST is used by Antarctica/Macquarie, Australia/Brisbane, Australia/Hobart,"
         " Australia/Lindeman, Australia/Melbourne or Australia/Sydney here: name one of those, or give a rule"
         " (offsets in TZ count west), for example TZ=AEST-10\n"},
        {"IST+5:30", 0, nullptr,
         "IST is 5:30 hours ahead of UTC here (Asia/Kolkata), but this rule puts it 5:30 hours behind" + west +
             "India write TZ=IST-5:30 or TZ=Asia/Kolkata\n"},
        {"CET1CEST,M3.5.0,M10.5.0/3", 0, nullptr,
         "CET is 1 hour ahead of UTC here (Africa/Algiers), but this rule puts it 1 hour behind" + west +
             "Algeria write TZ=CET-1CEST,M3.5.0,M10.5.0/3 or TZ=Africa/Algiers\n"},
        {"Zulu-1", 0, nullptr,
         "a zone named Zulu lies at UTC, but this rule puts it 1 hour ahead of it" + west +
             "1 hour behind write TZ='<-01>+1'\n"},
        {"UTC+0530", 0, nullptr,
         "offsets in TZ are hours and minutes with a colon, counted west; for 5:30 hours ahead of UTC write"
         " TZ='<+0530>-5:30'\n"},
        {"UTC+5:30", 0, nullptr,
         "a zone named UTC lies at UTC, but this rule puts it 5:30 hours behind it" + west +
             "5:30 hours ahead write TZ='<+0530>-5:30'\n"},
        {"GMT-1", 0, nullptr,
         "a zone named GMT lies at UTC, but this rule puts it 1 hour ahead of it" + west +
             "1 hour behind write TZ='<-01>+1'\n"},
        {"<+0530>+5:30", 0, nullptr,
         "a zone named +0530 lies 5:30 hours ahead of UTC, but this rule puts it 5:30 hours behind it" + west +
             "5:30 hours ahead write TZ='<+0530>-5:30'\n"},
        {"CET-1CEST", 0, nullptr, other_dates},
        {"AEST-10AEDT", 0, nullptr, other_dates},
        {"CET-1CEST,", 0, nullptr, other_dates},
#if defined(__GLIBC__) || !defined(__linux__)
        {"Europe", 0, nullptr, "/usr/share/zoneinfo/Europe" + not_regular},
#else
        {"CET", 0, nullptr, "this system reads a name without '/' as a rule; for the zone CET write TZ=:CET\n"},
#endif
        {"/dev/stdin", 0, nullptr, "/dev/stdin" + not_regular},
        {cut, 0, nullptr, cut + not_whole + "it ends before the data its header counts\n"},
        {flag, 0, nullptr, flag + not_whole + "a local time type has an offset, summer-time flag or name out of range\n"},
        {no_types, 0, nullptr, no_types + not_whole + "it has no local time types or no names\n"},
#ifdef __GLIBC__  // the one C library that looks for zones where TZDIR says, and reads these otherwise
        {"Europe/Berlin", 0, nullptr, "", tzdir},
        {"UTC", 1774746000u, "03/29/2026 01:00:00", "", tzdir},  // no zone data needed
        // Summer time all year: glibc works out the changes for the UTC year.
        {"EST5EDT,0/0,J365/25", 0, nullptr,
         "the C library reads 1970-01-01 00:00:00 UTC as 12/31/1969 19:00:00, the rule as 12/31/1969 20:00:00; "},
        {rule_only, 0, nullptr,
         "the C library reads 1970-03-29 01:00:00 UTC as 03/29/1970 02:00:00, " + rule_only +
             " as 03/29/1970 03:00:00; "},
#endif
    };
    for (const auto& c : cases) {
        write_file(dir / "in.bin", record_bytes(c.stamp, {}));
        write_file(dir / "adtable", keep);
        RunOptions opts;
        opts.tz = c.tz.c_str();
        if (!c.env.empty())
            opts.env = {c.env};
        const auto r = run_adconv(dir.path(), {"in.bin"}, opts);
        if (c.time != nullptr) {
            EXPECT_EQ(r.status, 0) << c.tz << ": " << r.err;
            EXPECT_EQ(read_file(dir / "adtable").substr(119, 19), c.time) << c.tz;
            continue;
        }
        const std::string folder = c.env.empty() ? "/usr/share/zoneinfo" : no_zones.path();
        const std::string no_zone = "this system has no such time zone (zone files are looked for in " + folder +
                                    "; a rule reads like CET-1CEST,M3.5.0,M10.5.0/3); unset TZ for the system's time zone\n";
        const std::string expected = "TZ=" + c.tz + ": " + (c.refusal.empty() ? no_zone : c.refusal);
        EXPECT_EQ(r.status, 1) << c.tz;
        EXPECT_EQ(r.out, "") << c.tz;
        EXPECT_EQ(r.err.substr(0, expected.size()), expected);
        EXPECT_EQ(read_file(dir / "adtable"), keep) << c.tz;
    }
    // A value too long to show whole still gets its reason.
    const std::string long_tz(130000, 'A');
    RunOptions opts;
    opts.tz = long_tz.c_str();
    const std::string said = run_adconv(dir.path(), {"in.bin"}, opts).err;
    const std::string start = "TZ=" + std::string(97, 'A') + "... (130000 characters): this system";
    EXPECT_EQ(said.substr(0, start.size()), start);
    EXPECT_EQ(said.substr(said.size() - 19), "system's time zone\n");
}

// However few descriptors the run may open, it writes the right table or
// refuses with the system's reason, the table untouched; never UTC.
TEST(cli, few_descriptors_give_the_right_table_or_a_refusal)
{
    if (*ADCONV_EMULATOR != '\0')
        GTEST_SKIP() << "the emulator needs descriptors of its own";
    TempDir dir;
    const std::string berlin = read_file(ADCONV_SOURCE_DIR "/tests/golden/sample-berlin.adtable");
    int converted = 0, refused = 0;
    for (int n = 3; n <= 16; ++n) {
        write_file(dir / "adtable", "keep me");
        RunOptions opts;
        opts.tz = "Europe/Berlin";
        opts.shell = "ulimit -n " + std::to_string(n) + " && exec \"$0\" \"$@\"";
        const auto r = run_adconv(dir.path(), {ADCONV_SOURCE_DIR "/examples/sample.bin"}, opts);
        if (r.status == 127)
            continue;  // too few for the dynamic loader to start adconv at all
        if (r.status == 0) {
            ++converted;
            EXPECT_EQ(read_file(dir / "adtable"), berlin) << n << " descriptors";
        } else {
            ++refused;
            EXPECT_EQ(r.status, 1) << n;
            EXPECT_NE(r.err.find(": Too many open files\n"), std::string::npos) << r.err;
            EXPECT_EQ(read_file(dir / "adtable"), "keep me") << n << " descriptors";
        }
    }
    EXPECT_GT(converted, 0);
    EXPECT_GT(refused, 0);
}

TEST(cli, table_cannot_be_created)
{
    TempDir dir;
    write_file(dir / "in.bin", records(1));
    std::filesystem::create_directory(dir / "adtable");
    const auto r = run_adconv(dir.path(), {"in.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "adtable: Is a directory\n");
}

TEST(cli, failed_table_writes_keep_whole_rows)
{
    TempDir dir;
    write_file(dir / "in.bin", records(20000));
    // A file size limit: the table ends with its last whole row, which the
    // summary counts.
    RunOptions limited;
    limited.shell = "ulimit -f 200 && exec \"$0\" \"$@\"";  // 200 blocks of 512 bytes
    auto r = run_adconv(dir.path(), {"in.bin"}, limited);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "adtable: File too large\n");
    const std::string table = read_file(dir / "adtable");
    EXPECT_EQ(table.size(), 119u + 149u * ((200 * 512 - 119) / 149));
    EXPECT_EQ(r.out, summary(static_cast<long>((table.size() - 119) / 149), "in.bin"));
    EXPECT_EQ(table, table_of(records(20000)).substr(0, table.size()));

    // A device that takes nothing, whether the first write comes at the
    // end or in the loop, which stops there: an endless input ends too.
    if (!adconv_test::has_dev_full())
        GTEST_SKIP() << "/dev/full is missing";
    std::filesystem::remove(dir / "adtable");
    std::filesystem::create_symlink("/dev/full", dir / "adtable");
    for (int n : {1, 20000, -1}) {
        write_file(dir / "in.bin", records(n < 0 ? 0 : n));
        const std::string input = n < 0 ? "/dev/zero" : "in.bin";
        r = run_adconv(dir.path(), {input});
        EXPECT_EQ(r.status, 255) << n;
        EXPECT_EQ(r.err, "adtable: No space left on device\n") << n;
        EXPECT_EQ(r.out, summary(0, input)) << n;
    }
}

TEST(cli, read_error_is_reported)
{
    // Reading a process's own memory at offset 0 fails with EIO on Linux.
    if (!exists("/proc/self/mem"))
        GTEST_SKIP() << "/proc/self/mem is missing";
    TempDir dir;
    const auto r = run_adconv(dir.path(), {"/proc/self/mem"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "/proc/self/mem: " + std::string(std::strerror(EIO)) + "\n");
    EXPECT_EQ(r.out, summary(0, "/proc/self/mem"));
    EXPECT_EQ(read_file(dir / "adtable"), kHeader);  // what was converted is kept

    // Standard input and error closed: the message cannot go into the table.
    if (*ADCONV_EMULATOR != '\0')
        return;
    RunOptions closed;
    closed.shell = "exec \"$0\" \"$@\" <&- 2>&-";
    const auto c = run_adconv(dir.path(), {"/proc/self/mem"}, closed);
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.out, summary(0, "/proc/self/mem"));
    EXPECT_EQ(read_file(dir / "adtable"), kHeader);
    // Standard output closed: the summary is lost, and that is said.
    closed.shell = "exec \"$0\" \"$@\" >&-";
    const auto o = run_adconv(dir.path(), {ADCONV_SOURCE_DIR "/examples/sample.bin"}, closed);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "stdout: Bad file descriptor\n");
    EXPECT_EQ(read_file(dir / "adtable"), read_file(ADCONV_SOURCE_DIR "/tests/golden/sample-utc.adtable"));
}

TEST(cli, full_standard_output_is_reported)
{
    if (!adconv_test::has_dev_full())
        GTEST_SKIP() << "/dev/full is missing";
    TempDir dir;
    write_file(dir / "in.bin", records(2));
    RunOptions opts;
    opts.stdout_path = "/dev/full";
    auto r = run_adconv(dir.path(), {"in.bin"}, opts);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "stdout: No space left on device\n");
    EXPECT_EQ(read_file(dir / "adtable").size(), 119u + 2 * 149u);

    // The answers to the options are output too.
    for (const char* option : {"--version", "--help"}) {
        r = run_adconv(dir.path(), {option}, opts);
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_EQ(r.err, "stdout: No space left on device\n") << option;
    }

    // Both fail: the lost table decides the status.
    std::filesystem::remove(dir / "adtable");
    std::filesystem::create_symlink("/dev/full", dir / "adtable");
    r = run_adconv(dir.path(), {"in.bin"}, opts);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "adtable: No space left on device\nstdout: No space left on device\n");
}

TEST(cli, input_that_is_the_table_is_refused)
{
    TempDir dir;
    const std::string table = kHeader + "precious rows\r\n";
    write_file(dir / "adtable", table);
    std::filesystem::create_symlink("adtable", dir / "link");
    std::filesystem::create_hard_link(dir / "adtable", dir / "hard");
    std::filesystem::create_directory(dir / "sub");
    for (const std::string& path : std::vector<std::string>{"adtable", "./adtable", "link", "hard", "sub/../adtable", dir / "adtable"}) {
        const auto r = run_adconv(dir.path(), {path});
        EXPECT_EQ(r.status, 1) << path;
        EXPECT_EQ(r.out, "") << path;
        EXPECT_EQ(r.err, path + ": input file is the table file\n");
        EXPECT_EQ(read_file(dir / "adtable"), table) << path;
    }
    // Nor its output streams: a line of theirs would land in the table.
    write_file(dir / "in.bin", records(2));
    const struct {
        const char* redirect;
        const char* out;
        const char* err;
    } streams[] = {
        {">> link", "", "adtable: standard output is the table file; left untouched\n"},
        {"2>> hard", "adtable: standard error is the table file; left untouched\n", ""},
    };
    for (const auto& c : streams) {
        RunOptions opts;
        opts.shell = std::string("exec \"$0\" \"$@\" ") + c.redirect;
        const auto r = run_adconv(dir.path(), {"in.bin"}, opts);
        EXPECT_EQ(r.status, 1) << c.redirect;
        EXPECT_EQ(r.out, c.out) << c.redirect;
        EXPECT_EQ(r.err, c.err) << c.redirect;
        EXPECT_EQ(read_file(dir / "adtable"), table) << c.redirect;
    }
    // Through >, the shell empties the table before adconv starts.
    RunOptions emptying;
    emptying.shell = "exec \"$0\" \"$@\" > link";
    EXPECT_EQ(run_adconv(dir.path(), {"in.bin"}, emptying).err, "adtable: standard output is the table file, which the"
              " shell emptied before adconv started (>> would have kept it)\n");
    // A FIFO table is one file with the standard output it is: its reader gets nothing.
    TempDir fifo_dir;
    ASSERT_EQ(mkfifo((fifo_dir / "adtable").c_str(), 0600), 0);
    write_file(fifo_dir / "in.bin", records(2));
    RunOptions fifo;
    fifo.shell = "cat adtable > got & \"$0\" \"$@\" > adtable; s=$?; wait; exit $s";
    const auto r = run_adconv(fifo_dir.path(), {"in.bin"}, fifo);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "adtable: standard output is the table file; left untouched\n");
    EXPECT_EQ(read_file(fifo_dir / "got"), "");
}

// Whether the process ends within `seconds`, as the waiting shows without
// reaping it; where it does not, it is killed, so that the test fails
// rather than hangs.
static bool ends_within(int pid, double seconds)
{
    siginfo_t info{};
    for (int waited = 0; waited < seconds * 200; ++waited) {
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGKILL);
    return false;
}

// Signals end a run with whole rows and a word: a closed pipe on standard
// output is a failed summary, and a stop signal ends the run at a row
// boundary, at once, says so, counts what the table holds and ends the
// process by the same signal, where it was not ignored from the start.
TEST(cli, signals_leave_whole_rows_and_say_so)
{
    if (*ADCONV_EMULATOR != '\0')
        GTEST_SKIP() << "the emulator's own timing";
    TempDir inputs;
    write_file(inputs / "in.bin", records(3));
    RunOptions pipe;
    pipe.shell = "{ sleep 0.5; \"$0\" \"$@\"; echo \"status $?\" >&2; } | (exec 0<&-; sleep 1)";
    auto r = run_adconv(inputs.path(), {"in.bin"}, pipe);
    EXPECT_EQ(r.err, "stdout: Broken pipe\nstatus 1\n");
    EXPECT_EQ(read_file(inputs / "adtable"), table_of(records(3)));

    write_file(inputs / "hundred.bin", records(100));
    write_file(inputs / "many.bin", records(500));  // rows past what a pipe holds
    RunOptions make;
    make.program = ADCONV_MAKE_SAMPLES;
    ASSERT_EQ(run_adconv(inputs.path(), {"big.bin", "1000000", "sequential"}, make).status, 0);
    const std::string big = inputs / "big.bin", many = inputs / "many.bin";
    const std::string quiet_writer = "(cat " + inputs / "hundred.bin" + "; sleep 5) > pipe & ";
    const std::string interrupted = "adconv: interrupted; adtable holds the rows of the first ";
    const struct {
        std::string shell;  // what to start, then adconv by exec
        std::string input;
        bool fifo_table;
        int signal;
        int ended_by;     // 0: the run goes on to its end
        std::string said;  // how standard error starts
    } cases[] = {
        // Ctrl-C while a regular file converts: neither read nor write waits.
        {"", big, false, SIGINT, SIGINT, interrupted},
        // A read that waits on a writer that is still there but quiet.
        {quiet_writer, "pipe", false, SIGTERM, SIGTERM, interrupted + "100 records\n"},
        {quiet_writer, "pipe", false, SIGHUP, SIGHUP, interrupted + "100 records\n"},
        // Ignored from the start, as nohup leaves it: the run goes on.
        {"(cat " + inputs / "hundred.bin" + "; sleep 1) > pipe & trap '' HUP; ", "pipe", false, SIGHUP, 0, ""},
        // A FIFO table that waits for its reader, or whose reader does not read.
        {"", many, true, SIGTERM, SIGTERM, "adconv: interrupted; adtable left untouched\n"},
        {"sleep 3 < adtable & ", many, true, SIGTERM, SIGTERM, interrupted},
    };
    for (const auto& c : cases) {
        const std::string name = c.shell + c.input + ", signal " + std::to_string(c.signal);
        TempDir dir;
        ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
        if (c.fifo_table) {
            ASSERT_EQ(mkfifo((dir / "adtable").c_str(), 0600), 0);
        }
        RunOptions opts;
        opts.shell = c.shell + "exec \"$0\" \"$@\"";
        bool ended = false;
        opts.while_running = [&](int pid) {
            // On a regular file the run is under way once the table has its first block.
            for (int i = 0; i < 10000 && c.input == big; ++i) {
                std::error_code missing;
                const std::uintmax_t size = std::filesystem::file_size(dir / "adtable", missing);
                if (!missing && size >= (1u << 20))
                    break;
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            if (c.input != big)
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            kill(pid, c.signal);
            ended = ends_within(pid, 3);
        };
        r = run_adconv(dir.path(), {c.input}, opts);
        EXPECT_TRUE(ended) << name << ": still running 3 s after the signal";
        EXPECT_EQ(r.signal, c.ended_by) << name;
        EXPECT_EQ(r.status, c.ended_by == 0 ? 0 : -1) << name;
        EXPECT_EQ(r.err.substr(0, c.said.size()), c.said) << name;
        if (c.input == "pipe") {
            EXPECT_EQ(read_file(dir / "adtable"), table_of(records(100))) << name;
        }
        if (c.input == big) {
            // Stopped part way, with the rows it says and no part of one more.
            const long rows = std::atol(r.err.c_str() + interrupted.size());
            EXPECT_GT(rows, 0) << r.err;
            EXPECT_LT(rows, 1000000) << r.err;
            EXPECT_EQ(std::filesystem::file_size(dir / "adtable"), 119u + 149u * static_cast<std::uintmax_t>(rows));
        }
    }
}

TEST(cli, reads_a_fifo_fed_in_odd_pieces)
{
    TempDir dir;
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string data = records(300) + std::string(17, '\x01');
    std::thread feeder([&] {
        const int fd = adconv_test::open_fifo_writer(fifo);
        std::FILE* w = fd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (w == nullptr)
            return;
        std::setvbuf(w, nullptr, _IONBF, 0);
        std::size_t pos = 0;
        for (std::size_t piece = 1; pos < data.size(); piece = piece * 7 % 113 + 1) {
            const std::size_t n = std::min(piece, data.size() - pos);
            std::fwrite(data.data() + pos, 1, n, w);
            pos += n;
            if (pos % 5 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::fclose(w);
    });
    const auto r = run_adconv(dir.path(), {"pipe"});
    feeder.join();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, summary(300, "pipe"));

    EXPECT_EQ(read_file(dir / "adtable"), table_of(data));
}

TEST(cli, one_run_at_a_time_writes_a_table)
{
    TempDir dir;
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    write_file(dir / "adtable", "keep me");
    write_file(dir / "other.bin", records(5));
    adconv_test::RunResult first;
    std::thread run([&] { first = run_adconv(dir.path(), {"pipe"}); });
    const int w = adconv_test::open_fifo_writer(fifo);
    // Emptied: the first run holds the table and waits for its input.
    for (int i = 0; w >= 0 && i < 3000 && std::filesystem::file_size(dir / "adtable") != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto second = run_adconv(dir.path(), {"other.bin"});
    const std::string data = records(300);
    if (w >= 0) {
        EXPECT_EQ(write(w, data.data(), data.size()), static_cast<ssize_t>(data.size()));
        close(w);
    }
    run.join();
    ASSERT_GE(w, 0) << "adconv never opened the pipe";
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "adtable: another run is writing it; left untouched\n");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, summary(300, "pipe"));
    EXPECT_EQ(read_file(dir / "adtable"), table_of(data));
}

TEST(cli, names_reach_a_terminal_without_their_controls)
{
    if (!adconv_test::has_terminals())
        GTEST_SKIP() << "no pseudo-terminals here (is /dev/pts mounted?)";
    TempDir dir;
    const std::string name = "x\x1b]0;TITLE\x07\x1b[2J\x1b[31mred.bin";
    write_file(dir / name, records(1));
    RunOptions terminal;
    terminal.terminal = true;
    EXPECT_EQ(run_adconv(dir.path(), {name}, terminal).out,
              "1 records converted from file x\\x1B]0;TITLE\\x07\\x1B[2J\\x1B[31mred.bin\n");
    // C1 controls, lone or in UTF-8; backslashes of such a name doubled.
    EXPECT_EQ(run_adconv(dir.path(), {"\\\x9b\xc2\x9b\xc3\xa9"}, terminal).out,
              "\\\\\\x9B\\xC2\\x9B\xc3\xa9: No such file or directory\n");
    // The ends of C1, lone and in UTF-8, and the first characters past them.
    EXPECT_EQ(run_adconv(dir.path(), {"\x80\x9f\xa0\xc2\x80\xc2\x9f\xc2\xa0"}, terminal).out,
              "\\x80\\x9F\xa0\\xC2\\x80\\xC2\\x9F\xc2\xa0: No such file or directory\n");
    // No control (U+0101 ends in the byte 0x81): the name as it is.
    EXPECT_EQ(run_adconv(dir.path(), {"\xc4\x81\\"}, terminal).out, "\xc4\x81\\: No such file or directory\n");
    // To a file, the exact bytes.
    EXPECT_EQ(run_adconv(dir.path(), {name}).out, summary(1, name));
}

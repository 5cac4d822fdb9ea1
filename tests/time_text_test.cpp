// Time column text: the formatter, the zone files and rules read into a
// model, and the model's texts checked against the platform second by second.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "calendar.h"
#include "platform.h"
#include "row_oracle.h"
#include "test_support.h"
#include "time_text.h"
#include "time_zone.h"
#include "tz_rule.h"
#include "zone_file.h"

using adconv::kTimeWidth;
using adconv_test::set_tz;

namespace {

// The platform's answer: its local time of the stamp, or the marker.
std::string platform_text(std::int64_t t)
{
    char out[kTimeWidth];
    adconv::platform_text(t, out);
    return std::string(out, kTimeWidth);
}

std::string cached_text(adconv::LocalTimeText& times, std::uint32_t t)
{
    char out[kTimeWidth];
    times.format(t, out);
    return std::string(out, kTimeWidth);
}

// UTC offset in seconds at t, as the platform's fields read.
long offset_at(std::int64_t t)
{
    std::tm f{};
    adconv::local_fields(t, f);
    return static_cast<long>(adconv_test::utc_seconds(f) - t);
}

// Stamps where the offset differs from one hour earlier, in the given year.
std::vector<std::int64_t> changes_in_year(int year)
{
    std::vector<std::int64_t> found;
    const std::int64_t start = (static_cast<std::int64_t>(year) - 1970) * 31556952;  // mean Gregorian year
    long prev = offset_at(start);
    for (std::int64_t t = start + 3600; t < start + 31556952; t += 3600) {
        const long off = offset_at(t);
        if (off != prev)
            found.push_back(t);
        prev = off;
    }
    return found;
}

struct ZoneCase {
    const char* tz;  // nullptr: TZ unset
    std::vector<int> years;
};

// Walks every second from `from` to `to`, forwards or backwards, with texts
// kept from one stamp to the next as a table's rows keep them.
void walk(const adconv::ZoneModel& model, const std::string& name, std::int64_t from, std::int64_t to)
{
    adconv::LocalTimeText times(model);
    for (std::int64_t t = from, step = from <= to ? 1 : -1; t != to + step; t += step)
        ASSERT_EQ(cached_text(times, static_cast<std::uint32_t>(t)), platform_text(t)) << name << " t=" << t;
}

}  // namespace

TEST(time_text, listed_stamps_in_utc)
{
    adconv::LocalTimeText times(set_tz("UTC"));
    EXPECT_EQ(cached_text(times, 1000000000), "09/09/2001 01:46:40");
    EXPECT_EQ(cached_text(times, 0), "01/01/1970 00:00:00");
    EXPECT_EQ(cached_text(times, 0x7FFFFFFF), "01/19/2038 03:14:07");
    EXPECT_EQ(cached_text(times, 951782400), "02/29/2000 00:00:00");
    if (!adconv_test::dates_after_2038()) {
        EXPECT_EQ(cached_text(times, 0x80000000), adconv_test::kPlaceholder);
        GTEST_SKIP() << adconv_test::kNoDatesAfter2038;
    }
    EXPECT_EQ(cached_text(times, 0x80000000), "01/19/2038 03:14:08");
    EXPECT_EQ(cached_text(times, 0xFFFFFFFF), "02/07/2106 06:28:15");
}

#ifndef _WIN32
// Zone names and rule strings that only a POSIX time-zone database reads.
TEST(time_text, follows_daylight_saving)
{
    adconv::LocalTimeText times(set_tz("Europe/Berlin"));
    // 2026-03-29 01:00:00 UTC: clocks go from 02:00 CET to 03:00 CEST.
    EXPECT_EQ(cached_text(times, 1774745999), "03/29/2026 01:59:59");
    EXPECT_EQ(cached_text(times, 1774746000), "03/29/2026 03:00:00");
    // 2026-10-25 01:00:00 UTC: back from 03:00 CEST to 02:00 CET.
    EXPECT_EQ(cached_text(times, 1792889999), "10/25/2026 02:59:59");
    EXPECT_EQ(cached_text(times, 1792890000), "10/25/2026 02:00:00");
    adconv::LocalTimeText ny(set_tz("America/New_York"));
    EXPECT_EQ(cached_text(ny, 0), "12/31/1969 19:00:00");
    if (!adconv_test::dates_after_2038())
        GTEST_SKIP() << adconv_test::kNoDatesAfter2038;
    EXPECT_EQ(cached_text(ny, 0xFFFFFFFF), "02/07/2106 01:28:15");
}
#endif

// Every second in a window of two hours on each side of each of the
// zone's offset changes in the given years (those from 2038 on only where
// the build has dates for them), walked forwards and backwards; counts the
// changes.
static void check_around_changes(const ZoneCase& zone, std::size_t& changes)
{
    const adconv::ZoneModel& model = set_tz(zone.tz);
    const std::string name = zone.tz != nullptr ? zone.tz : "(TZ unset)";
    for (int year : zone.years) {
        for (std::int64_t change : year < 2038 || adconv_test::dates_after_2038() ? changes_in_year(year)
                                                                                  : std::vector<std::int64_t>()) {
            ++changes;
            walk(model, name, change - 7200, change + 7200);
            walk(model, name, change + 7200, change - 7200);
        }
    }
    set_tz("UTC");
}

TEST(time_text, cached_equals_platform_around_every_change)
{
    const std::vector<ZoneCase> zones = {
#ifdef _WIN32
        // The Windows runtime reads only "NAME[+|-]hh[:mm[:ss]][DST]" and applies the
        // US daylight-saving rules of each year.
        {"PST8PDT", {1980, 2006, 2026, 2040}},
        {"CET-1CEST", {1996, 2026}},
        {"EST5EDT", {1975, 2007, 2100}},
        {"NST3:30NDT", {2026}},
#else
        {"Europe/Berlin", {1980, 1996, 2026, 2040}},
        {"America/New_York", {1974, 2007, 2026, 2100}},
        {"Australia/Lord_Howe", {1981, 2026, 2045}},
        {"Pacific/Chatham", {1975, 2026, 2050}},
        {"EST5EDT,M3.2.0,M11.1.0", {1975, 2026, 2039}},
        // Daylight saving for one hour a year: a change and its return close together.
        {"AAA0BBB,J60/0,J60/2", {2026}},
#endif
    };
    for (const ZoneCase& zone : zones) {
        std::size_t changes = 0;
        check_around_changes(zone, changes);
        ASSERT_GE(changes, adconv_test::dates_after_2038() ? zone.years.size() : 1) << zone.tz;
    }
#ifndef _WIN32
    std::size_t changes = 0;
    check_around_changes({"Asia/Kathmandu", {1985, 2026}}, changes);
    EXPECT_EQ(changes, 1u);  // its one change, at the end of 1985
#endif
    if (!adconv_test::dates_after_2038())
        GTEST_SKIP() << adconv_test::kNoDatesAfter2038;
}

// The system's own zone, read when TZ is unset: around its changes, or,
// where it has none (a machine kept on UTC, as most build machines are),
// around each new year.
TEST(time_text, cached_equals_platform_in_the_system_zone)
{
    std::size_t changes = 0;
    check_around_changes({nullptr, {1975, 2026, 2040}}, changes);
    const adconv::ZoneModel& model = set_tz(nullptr);
    for (std::int64_t year = 1971; changes == 0 && year <= (adconv_test::dates_after_2038() ? 2106 : 2037); ++year) {
        const std::int64_t t = adconv::days_from_civil(year, 1, 1) * adconv::kSecondsPerDay;
        walk(model, "(TZ unset)", t - 60, t + 60);
    }
    set_tz("UTC");
}

TEST(time_text, random_repeated_and_backward_stamps)
{
    std::mt19937 rng(20261208);
#ifdef _WIN32
    const char* const zones[] = {"CET-1CEST", "PST8PDT", "NST3:30NDT"};
#else
    const char* const zones[] = {"Europe/Berlin", "Pacific/Chatham", "Australia/Lord_Howe"};
#endif
    for (const char* tz : zones) {
        adconv::LocalTimeText times(set_tz(tz));
        for (int i = 0; i < 100000; ++i) {
            const std::uint32_t t = static_cast<std::uint32_t>(rng());
            const std::string text = cached_text(times, t);
            ASSERT_EQ(text, platform_text(t)) << tz << " t=" << t;
            // From 2^31 on every platform has a date, 32-bit ones included.
            if (t >= 0x80000000u && adconv_test::dates_after_2038()) {
                ASSERT_NE(text, adconv_test::kPlaceholder) << tz << " t=" << t;
            }
        }
        // Small random steps forward and back, with repeats, across months.
        std::int64_t t = 1774700000;
        for (int i = 0; i < 200000; ++i) {
            t += static_cast<int>(rng() % 181) - 80;
            ASSERT_EQ(cached_text(times, static_cast<std::uint32_t>(t)), platform_text(t)) << tz << " t=" << t;
            ASSERT_EQ(cached_text(times, static_cast<std::uint32_t>(t)), platform_text(t)) << tz << " t=" << t;
        }
    }
    set_tz("UTC");
    if (!adconv_test::dates_after_2038())
        GTEST_SKIP() << adconv_test::kNoDatesAfter2038;
}

// Walks over the seconds where a cached text is most easily wrong, from
// many starts, forwards and back: where local time begins (west of UTC,
// Windows has none for the first hours after the epoch, and the text must
// switch from the marker at the same second as the platform), summer time
// of a minute or of 30 seconds (from 00:00 on 1 March 2026), and a leap
// second, which reads 23:59:60.
TEST(time_text, cached_equals_platform_on_walks_from_many_starts)
{
    [[maybe_unused]] const std::int64_t march = 1772323200, leap = 1483228826;
    const struct {
        const char* tz;
        std::int64_t first, last, step;  // the starts
        std::int64_t to;                 // each walk goes from its start to here,
        std::int64_t back_from;          // and from here back to its start (-1: not)
        const char* seen;                // the platform's text of the last start, where given
    } walks[] = {
#ifdef _WIN32
        {"PST8PDT", 0, 28700, 28700, 29000, 29000, ""},
#else
        {"America/Los_Angeles", 0, 28700, 28700, 29000, 29000, ""},
        {"AAA0BBB,J60/0,J60/1:01", march - 130, march, 7, march + 130, march + 200, "03/01/2026 01:00:00"},
        {"AAA0BBB,J60/0,J60/1:00:30", march - 130, march, 7, march + 130, march + 200, "03/01/2026 01:00:00"},
#if defined(__GLIBC__) || !defined(__linux__)  // musl counts no leap seconds, and refuses right/UTC
        {"right/UTC", leap - 26, leap, 1, leap + 4, -1, "12/31/2016 23:59:60"},
#endif
#endif
    };
    std::string skipped;
    for (const auto& w : walks) {
        if (std::string(w.tz) == "right/UTC" && !std::filesystem::exists("/usr/share/zoneinfo/right/UTC")) {
            skipped = "no leap-second zone data here (right/UTC): the leap second was not walked";
            continue;
        }
        const adconv::ZoneModel& model = set_tz(w.tz);
        if (*w.seen != '\0') {
            ASSERT_EQ(platform_text(w.last), w.seen) << w.tz;
        }
        for (std::int64_t start = w.first; start <= w.last; start += w.step) {
            walk(model, w.tz, start, w.to);
            if (w.back_from >= 0)
                walk(model, w.tz, w.back_from, start);
        }
    }
    set_tz("UTC");
    if (!skipped.empty())
        GTEST_SKIP() << skipped;
}

#ifndef _WIN32
// Every zone file the system has, its leap-second and POSIX copies too,
// loads and agrees with the C library wherever either could change.
TEST(time_zone, every_installed_zone_agrees_with_the_c_library)
{
    namespace fs = std::filesystem;
    std::size_t zones = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it("/usr/share/zoneinfo", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string path = it->path().string();
        if (!it->is_regular_file() || adconv_test::read_file(path).compare(0, 4, "TZif") != 0)
            continue;
#if defined(__linux__) && !defined(__GLIBC__)
        // musl counts no leap seconds, and reads these as UTC from where
        // their leap-second table expires: refused there.
        if (path.find("/right/") != std::string::npos)
            continue;
#endif
        ++zones;
        EXPECT_NO_THROW(set_tz(path.c_str())) << path;
    }
    set_tz("UTC");
    if (zones == 0)
        GTEST_SKIP() << "no zone files in /usr/share/zoneinfo";
}
#endif

// How a rule reads on POSIX and on the Windows runtime.
TEST(time_zone, forms_of_both_grammars)
{
    using adconv::TzForm;
    const auto posix = [](const char* tz) {
        adconv::TzRule rule;
        if (!adconv::parse_tz_rule(tz, rule))
            return TzForm::kMisread;
        return rule.dst_name.empty() || rule.has_dates ? TzForm::kAsWritten : TzForm::kOtherZonesDates;
    };
    const struct {
        const char* tz;
        TzForm posix;
        TzForm windows;
    } cases[] = {
        {"UTC0", TzForm::kAsWritten, TzForm::kAsWritten},
        {"CET-1", TzForm::kAsWritten, TzForm::kAsWritten},
        {"IST-5:30", TzForm::kAsWritten, TzForm::kAsWritten},
        {"<+03>-3", TzForm::kAsWritten, TzForm::kMisread},
        {"CET-1CEST,M3.5.0,M10.5.0/3", TzForm::kAsWritten, TzForm::kMisread},
        {"CET-1CEST,M003.5.0,M10.5.0/3", TzForm::kAsWritten, TzForm::kMisread},  // leading zeros
        {"AAA0BBB,J0087/0002,J300", TzForm::kAsWritten, TzForm::kMisread},
        {"AAA0BBB,J60/-1,J300/25", TzForm::kAsWritten, TzForm::kMisread},
        {"AAA0BBB,0/0,365/167", TzForm::kAsWritten, TzForm::kMisread},
        {"AAA0BBB-2,J1/0:00:05,J365", TzForm::kAsWritten, TzForm::kMisread},
        {"EST5EDT", TzForm::kOtherZonesDates, TzForm::kAsWritten},
        {"HST10HDT", TzForm::kOtherZonesDates, TzForm::kAsWritten},
        {"AKS+9AKD", TzForm::kOtherZonesDates, TzForm::kAsWritten},
        {"CET-1CEST", TzForm::kOtherZonesDates, TzForm::kOtherZonesDates},
        {"AEST-10AEDT", TzForm::kOtherZonesDates, TzForm::kMisread},
        {"NST3:30NDT", TzForm::kOtherZonesDates, TzForm::kOtherZonesDates},
        {"AST4ADT", TzForm::kOtherZonesDates, TzForm::kOtherZonesDates},
        {"CET-1CEST,", TzForm::kOtherZonesDates, TzForm::kMisread},
        {"CET-1CEST,M0.5.0,M10.5.0/3", TzForm::kMisread, TzForm::kMisread},
        {"CET-1CEST,M13.5.0,M10.5.0/3", TzForm::kMisread, TzForm::kMisread},
        {"CET-1CEST,M3.0.0,M10.5.0/3", TzForm::kMisread, TzForm::kMisread},
        {"CET-1CEST,M3.6.0,M10.5.0/3", TzForm::kMisread, TzForm::kMisread},
        {"CET-1CEST,M3.5.7,M10.5.0/3", TzForm::kMisread, TzForm::kMisread},
        {"CET-1CEST,M3.5.0", TzForm::kMisread, TzForm::kMisread},
        {"CET-1CEST-1x60,300", TzForm::kMisread, TzForm::kMisread},  // no comma before the dates
        {"AAA0BBB,J0/0,J300", TzForm::kMisread, TzForm::kMisread},
        {"AAA0BBB,J366,J300", TzForm::kMisread, TzForm::kMisread},
        {"AAA0BBB,366,300", TzForm::kMisread, TzForm::kMisread},
        {"AAA0BBB,J60/168,J300", TzForm::kMisread, TzForm::kMisread},
        {"AAA0BBB,J60/1:60,J300", TzForm::kMisread, TzForm::kMisread},
        {"CET-25", TzForm::kMisread, TzForm::kAsWritten},
        {"CET-1:60", TzForm::kMisread, TzForm::kMisread},
        {"CE-1", TzForm::kMisread, TzForm::kMisread},
        {"<AB>1", TzForm::kMisread, TzForm::kMisread},
        {"<+03\0" "5", TzForm::kMisread, TzForm::kMisread},  // what follows the end is not read
        {"CET", TzForm::kMisread, TzForm::kMisread},
        {"UTC0 ", TzForm::kMisread, TzForm::kMisread},
        {"Europe/Berlin", TzForm::kMisread, TzForm::kMisread},
        {"", TzForm::kMisread, TzForm::kMisread},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(posix(c.tz), c.posix) << c.tz;
        // The Windows column is read where that runtime is: the Windows build's tests.
        if (const auto runtime_form = adconv::tz_system().runtime_form) {
            EXPECT_EQ(runtime_form(c.tz, nullptr), c.windows) << c.tz;
        }
    }
}

// A rule's changes where they fall, the years' ends included.
TEST(time_zone, rule_changes)
{
    const struct {
        const char* tz;
        std::int64_t year;
        std::int64_t to_summer, back;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", 2026, 1774746000, 1792890000},
        {"EST5EDT,M3.2.0,M11.1.0", 2026, 1772953200, 1793512800},
        {"AAA0BBB,J60/0,J300/0", 2024, 1709251200, 1729983600},  // 1 March, and 27 October in summer time, in a leap year
        {"AAA0BBB,59/0,300/0", 2024, 1709164800, 1729983600},    // day 59 counts 29 February
        {"NZST-12NZDT,M9.5.0,M4.1.0/3", 2026, 1790431200, 1775311200},
    };
    for (const auto& c : cases) {
        adconv::TzRule rule;
        ASSERT_TRUE(adconv::parse_tz_rule(c.tz, rule)) << c.tz;
        EXPECT_EQ(adconv::rule_change(rule, c.year, true), c.to_summer) << c.tz;
        EXPECT_EQ(adconv::rule_change(rule, c.year, false), c.back) << c.tz;
    }
    // Summer time all year: no change at the new year, an hour apart all through it.
    adconv::TzRule all_year;
    ASSERT_TRUE(adconv::parse_tz_rule("EST5EDT,0/0,J365/25", all_year));
    const adconv::ZoneModel model = adconv::zone_model(all_year);
    adconv::LocalTimeText times(model);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(cached_text(times, static_cast<std::uint32_t>(1767222000 + k * 3600)).substr(11, 2),
                  k < 5 ? std::to_string(19 + k) : "0" + std::to_string(k - 5))
            << k;
}

#ifndef _WIN32
// This machine's zone files, whole and damaged: each damage is refused,
// saying what is wrong, before the C library reads it.
TEST(time_zone, zone_files_whole_and_damaged)
{
    std::string berlin;
    try {
        berlin = adconv_test::read_file("/usr/share/zoneinfo/Europe/Berlin");
    } catch (const std::exception&) {
        GTEST_SKIP() << "no Europe/Berlin here";
    }
    const auto read = [](const std::string& b) {
        adconv::ZoneFile zone;
        const char* why = adconv::read_zone_file(reinterpret_cast<const unsigned char*>(b.data()), b.size(), zone);
        return std::string(why != nullptr ? why : "");
    };
    ASSERT_EQ(read(berlin), "");
    const auto be32 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(berlin[at]) << 24 |
                                        static_cast<unsigned char>(berlin[at + 1]) << 16 |
                                        static_cast<unsigned char>(berlin[at + 2]) << 8 |
                                        static_cast<unsigned char>(berlin[at + 3]));
    };
    // The second part, with 64-bit times: its header and where its tables start.
    const std::size_t v1 = 44 + be32(32) * 5 + be32(36) * 6 + be32(40) + be32(28) * 8 + be32(24) + be32(20);
    const std::size_t times = be32(v1 + 32), types = be32(v1 + 36);
    const std::size_t index = v1 + 44 + times * 8, type = index + times;
    const auto damaged = [&](std::size_t at, char byte) {
        std::string b = berlin;
        b[at] = byte;
        return read(b);
    };
    EXPECT_NE(damaged(type + 4, 2), "") << "summer-time flag 2";
    EXPECT_NE(damaged(index, static_cast<char>(types)), "") << "type index past the types";
    EXPECT_NE(damaged(type + 5, static_cast<char>(100)), "") << "name index past the names";
    EXPECT_NE(damaged(4, '5'), "") << "version 5";
    EXPECT_NE(damaged(berlin.size() - 3, 'x'), "") << "closing rule";
    std::string no_types = berlin;
    for (std::size_t at : {std::size_t{36}, v1 + 36})
        no_types[at] = no_types[at + 1] = no_types[at + 2] = no_types[at + 3] = 0;
    EXPECT_NE(read(no_types), "") << "no types";
    for (std::size_t cut = 0; cut < berlin.size(); ++cut)
        EXPECT_NE(read(berlin.substr(0, cut)), "") << "cut at " << cut;
    EXPECT_NE(read(berlin + "x"), "") << "a byte after the rule";

    // Leap seconds: version 4 may repeat the last correction to say when
    // the table expires, which is no leap second; earlier versions may not.
    const auto be4 = [](std::uint32_t v) { return adconv_test::record_bytes(v, {}).substr(0, 4); };
    const std::string v2 = std::string(15, '\0') + be4(0) + be4(0) + be4(2) + be4(0) + be4(1) + be4(4) + be4(0) +
                           std::string(2, '\0') + "UTC" + '\0' + be4(0) + be4(78796800) + be4(1) + be4(0) +
                           be4(1700000000) + be4(1) + "\nUTC0\n";
    for (char version : {'4', '3'}) {
        const std::string b = "TZif" + std::string(1, version) + std::string(39, '\0') + "TZif" + version + v2;
        adconv::ZoneFile zone;
        const char* why = adconv::read_zone_file(reinterpret_cast<const unsigned char*>(b.data()), b.size(), zone);
        EXPECT_EQ(why == nullptr ? zone.leaps.size() : 0u, version == '4' ? 1u : 0u) << "version " << version;
    }

    // The system's zone file: none at all gives UTC, as it does the C
    // library; a link to a zone that is not installed is refused, one to
    // UTC is UTC.
    adconv_test::TempDir etc;
    const std::string localtime = etc / "localtime";
    adconv::TzSystem system = adconv::tz_system();
    system.system_zone = localtime.c_str();
    const struct {
        const char* target;  // nullptr: no file
        std::string refusal;
    } links[] = {
        {nullptr, ""},
        {"/nowhere/Europe/Berlin",
         "TZ=" + localtime + ": " + localtime +
             " links to /nowhere/Europe/Berlin, which is not there: install the time-zone data or set TZ"},
        {"/nowhere/Etc/UTC", ""},
    };
    for (const auto& l : links) {
        std::filesystem::remove(localtime);
        if (l.target != nullptr)
            std::filesystem::create_symlink(l.target, localtime);
        setenv("TZ", localtime.c_str(), 1);  // read as TZ unset is, from this system zone
        adconv::ZoneModel zone;
        const char* refusal = adconv::load_time_zone(zone, system);
        EXPECT_EQ(refusal != nullptr ? refusal : "", l.refusal) << (l.target != nullptr ? l.target : "no file");
        if (refusal == nullptr) {
            ASSERT_EQ(zone.changes.size(), 1u);
            EXPECT_EQ(zone.changes[0].offset, 0);
        }
    }
    set_tz("UTC");
}
#endif

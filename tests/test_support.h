// Helpers shared by the unit tests on every platform: record bytes, the
// time zone, files and temporary folders.
#ifndef ADCONV_TEST_SUPPORT_H
#define ADCONV_TEST_SUPPORT_H

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "sample_record.h"

namespace adconv_test {

using Counts = std::array<unsigned, adconv::kChannelCount>;

// The 36 stored bytes of a record, big-endian.
std::string record_bytes(std::uint32_t rtc, const Counts& counts);
adconv::sampleRecord make_record(std::uint32_t rtc, const Counts& counts);

// Sets TZ (or unsets it for nullptr) for this process and re-reads it.
void set_tz(const char* tz);

// Seconds since 1970-01-01 00:00:00 of the fields taken as UTC.
std::int64_t utc_seconds(std::tm fields);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace adconv_test

#endif

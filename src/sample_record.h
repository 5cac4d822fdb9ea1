// The input record: a 32-bit time stamp and sixteen 16-bit converter counts,
// all big-endian, 36 bytes back to back with no header or separator.
#ifndef ADCONV_SAMPLE_RECORD_H
#define ADCONV_SAMPLE_RECORD_H

#include <cstddef>
#include <cstdint>

namespace adconv {

constexpr std::size_t kChannelCount = 16;  // ad1_0..ad1_7, then ad2_0..ad2_7
constexpr std::size_t kTimeStampSize = 4;
constexpr std::size_t kCountSize = 2;
constexpr std::size_t kRecordSize = kTimeStampSize + kChannelCount * kCountSize;
static_assert(kRecordSize == 36, "a sample record is 36 bytes on disk");

// The raw bytes of one record exactly as stored; fields are decoded on use.
struct sampleRecord {
    unsigned char rtc[kTimeStampSize];
    unsigned char samples[kChannelCount][kCountSize];
};
static_assert(sizeof(sampleRecord) == kRecordSize, "sampleRecord must have no padding");

// Seconds since 1970-01-01 00:00:00 UTC, taken unsigned so that stamps from
// 2^31 upward mean 2038..2106 rather than dates before 1970.
inline std::uint32_t decode_rtc(const sampleRecord& record)
{
    const unsigned char* p = record.rtc;
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// Channel ch's count, 0..65535: never signed.
inline unsigned decode_count(const sampleRecord& record, std::size_t ch)
{
    const unsigned char* p = record.samples[ch];
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

// The scale: full scale, 65535 counts, reads 2.5, so 26214 counts read 1.0.
// kVoltsPerCount is the double nearest to 2.5 / 65535, which is also the
// double nearest to 1 / kCountsPerVolt; the texts are computed exactly from
// kCountsPerVolt and equal "%7.5f" of count * kVoltsPerCount.
constexpr unsigned kCountsPerVolt = 26214;
constexpr double kVoltsPerCount = 3.8147554741741054e-05;
static_assert(kVoltsPerCount == 1.0 / kCountsPerVolt, "the two forms of the scale must agree");

}  // namespace adconv

#endif

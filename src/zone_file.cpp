#include "zone_file.h"

#include <cstring>
#include <string>

namespace adconv {

namespace {

std::uint64_t be(const unsigned char* p, int size)
{
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | p[i];
    return v;
}

std::int64_t signed_be(const unsigned char* p, int size)
{
    const std::uint64_t v = be(p, size);
    if (size == 4)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return static_cast<std::int64_t>(v);
}

// A header: the magic, the version, 15 unused bytes and six counts.
struct Header {
    char version;
    std::uint64_t utc_flags, std_flags, leaps, times, types, chars;
};
constexpr std::size_t kHeaderSize = 44;

// The bytes of the data that follows a header, with times of `time_size`.
std::uint64_t data_size(const Header& h, int time_size)
{
    return h.times * (time_size + 1) + h.types * 6 + h.chars + h.leaps * (time_size + 4) + h.std_flags +
           h.utc_flags;
}

// `skipped`: the 32-bit block of a version 2+ file, which only has to fit;
// its writer may leave it empty.
const char* read_header(const unsigned char* p, std::size_t left, int time_size, bool skipped, Header& h)
{
    if (left < kHeaderSize || std::memcmp(p, "TZif", 4) != 0)
        return "it does not start as a zone file does (\"TZif\" and a header)";
    h.version = static_cast<char>(p[4]);
    if (h.version != '\0' && (h.version < '2' || h.version > '4'))
        return "its version is none of 1 to 4";
    const unsigned char* c = p + 20;
    h = {h.version, be(c, 4), be(c + 4, 4), be(c + 8, 4), be(c + 12, 4), be(c + 16, 4), be(c + 20, 4)};
    const bool fits = data_size(h, time_size) <= left - kHeaderSize;
    if (skipped)
        return fits ? nullptr : "it ends before the data its header counts";
    if (h.types == 0 || h.chars == 0)
        return "it has no local time types or no names";
    if ((h.utc_flags != 0 && h.utc_flags != h.types) || (h.std_flags != 0 && h.std_flags != h.types))
        return "its indicator counts do not match its type count";
    if (h.types > 256)
        return "it has more local time types than a change can name";
    return fits ? nullptr : "it ends before the data its header counts";
}

// The data after a header, with times of `time_size` bytes.
const char* read_data(const unsigned char* p, const Header& h, int time_size, ZoneFile& zone)
{
    const unsigned char* index = p + h.times * time_size;
    const unsigned char* type = index + h.times;
    const unsigned char* chars = type + h.types * 6;
    const unsigned char* leap = chars + h.chars;
    const unsigned char* std_flags = leap + h.leaps * (time_size + 4);
    const unsigned char* utc_flags = std_flags + h.std_flags;
    if (chars[h.chars - 1] != '\0')
        return "its last name does not end";
    for (std::uint64_t i = 0; i < h.types; ++i) {
        const unsigned char* t = type + 6 * i;
        // Offsets beyond a day either way are no zone's, and would move
        // dates out of the years a table shows.
        const std::int64_t east = signed_be(t, 4);
        if (east < -89999 || east > 93599 || t[4] > 1 || t[5] >= h.chars)
            return "a local time type has an offset, summer-time flag or name out of range";
        if ((h.std_flags != 0 && std_flags[i] > 1) || (h.utc_flags != 0 && utc_flags[i] > 1) ||
            (h.utc_flags != 0 && utc_flags[i] == 1 && (h.std_flags == 0 || std_flags[i] != 1)))
            return "a standard-time or UT indicator is out of range";
        zone.types.push_back({static_cast<std::int32_t>(east), reinterpret_cast<const char*>(chars + t[5])});
    }
    zone.first_east = static_cast<std::int32_t>(signed_be(type, 4));
    zone.changes.clear();
    zone.changes.reserve(static_cast<std::size_t>(h.times));
    for (std::uint64_t i = 0; i < h.times; ++i) {
        const std::int64_t at = signed_be(p + i * time_size, time_size);
        if (index[i] >= h.types)
            return "a change names a local time type it does not have";
        if (i > 0 && at <= zone.changes.back().at)
            return "its changes are not in time order";
        zone.changes.push_back({at, static_cast<std::int32_t>(signed_be(type + 6 * index[i], 4))});
    }
    zone.leaps.clear();
    for (std::uint64_t i = 0; i < h.leaps; ++i) {
        const unsigned char* l = leap + i * (time_size + 4);
        const ZoneFile::Leap next = {signed_be(l, time_size), signed_be(l + time_size, 4)};
        const std::int64_t before = i > 0 ? zone.leaps.back().correction : 0;
        // Version 4 may repeat the last correction, to say when the table expires.
        const bool expiry = h.version >= '4' && i + 1 == h.leaps && i > 0 && next.correction == before;
        if ((i > 0 && next.at <= zone.leaps.back().at) ||
            (!expiry && next.correction != before + 1 && next.correction != before - 1))
            return "its leap seconds are out of order or step by more than a second";
        if (!expiry)
            zone.leaps.push_back(next);
    }
    return nullptr;
}

}  // namespace

const char* read_zone_file(const unsigned char* bytes, std::size_t size, ZoneFile& zone)
{
    zone = ZoneFile();
    Header h{};
    if (const char* why = read_header(bytes, size, 4, size > 4 && bytes[4] >= '2', h))
        return why;
    std::size_t at = kHeaderSize;
    if (h.version == '\0') {
        if (at + data_size(h, 4) != size)
            return "it does not end where its data does";
        return read_data(bytes + at, h, 4, zone);
    }
    // From version 2 on the first part is for readers of 32-bit times; the
    // second, with 64-bit times, and the closing rule are read.
    at += static_cast<std::size_t>(data_size(h, 4));
    if (const char* why = read_header(bytes + at, size - at, 8, false, h))
        return why;
    at += kHeaderSize;
    if (const char* why = read_data(bytes + at, h, 8, zone))
        return why;
    at += static_cast<std::size_t>(data_size(h, 8));
    const void* end = size - at >= 2 && bytes[at] == '\n' ? std::memchr(bytes + at + 1, '\n', size - at - 1) : nullptr;
    if (end != bytes + size - 1)
        return "its closing rule does not stand alone on the last line";
    const std::string text(bytes + at + 1, bytes + size - 1);
    if (text.empty())
        return nullptr;
    zone.has_rule = true;
    if (!parse_tz_rule(text.c_str(), zone.rule) || (!zone.rule.dst_name.empty() && !zone.rule.has_dates))
        return "its closing rule does not read in full";
    return nullptr;
}

}  // namespace adconv

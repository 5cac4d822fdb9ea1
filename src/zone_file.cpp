// Reading a compiled zone file through a bounds-checked cursor.
#include "zone_file.h"

#include <cstring>
#include <string>

namespace adconv {

namespace {

// Reads a span of bytes from the front: every read checks what is left, and
// one past the end reads nothing and fails the cursor for good (p_ null),
// so that a run of reads can be checked once, after it.
class Cursor {
public:
    Cursor(const unsigned char* p, std::size_t size) : p_(p), left_(p != nullptr ? size : 0) {}

    bool ok() const { return p_ != nullptr; }
    std::size_t left() const { return left_; }
    // The next n bytes, or nullptr where fewer are left.
    const unsigned char* take(std::uint64_t n)
    {
        if (p_ == nullptr || n > left_) {
            p_ = nullptr;
            left_ = 0;
            return nullptr;
        }
        p_ += n;
        left_ -= static_cast<std::size_t>(n);
        return p_ - n;
    }
    // The next n bytes as a cursor of their own.
    Cursor part(std::uint64_t n) { return {take(n), static_cast<std::size_t>(n)}; }
    // A big-endian number of `size` bytes (1, 4 or 8); 0 once failed.
    std::uint64_t be(int size)
    {
        const unsigned char* q = take(static_cast<std::uint64_t>(size));
        std::uint64_t v = 0;
        for (int i = 0; q != nullptr && i < size; ++i)
            v = v << 8 | q[i];
        return v;
    }
    std::int64_t signed_be(int size)
    {
        const std::uint64_t v = be(size);
        return size == 4 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(v)) : static_cast<std::int64_t>(v);
    }

private:
    const unsigned char* p_;
    std::size_t left_;
};

// A header: the magic, the version, 15 unused bytes and six counts.
struct Header {
    char version;
    std::uint64_t utc_flags, std_flags, leaps, times, types, chars;
};

// The bytes of the data that follows a header, with times of `time_size`.
std::uint64_t data_size(const Header& h, int time_size)
{
    return h.times * (time_size + 1) + h.types * 6 + h.chars + h.leaps * (time_size + 4) + h.std_flags +
           h.utc_flags;
}

// `skipped`: the 32-bit block of a version 2+ file, which only has to fit;
// its writer may leave it empty.
const char* read_header(Cursor& c, int time_size, bool skipped, Header& h)
{
    const unsigned char* magic = c.take(5);
    c.take(15);
    h = {magic != nullptr ? static_cast<char>(magic[4]) : '\0', c.be(4), c.be(4), c.be(4), c.be(4), c.be(4), c.be(4)};
    if (!c.ok() || std::memcmp(magic, "TZif", 4) != 0)
        return "it does not start as a zone file does (\"TZif\" and a header)";
    if (h.version != '\0' && (h.version < '2' || h.version > '4'))
        return "its version is none of 1 to 4";
    const bool fits = data_size(h, time_size) <= c.left();
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

// The data after a header, with times of `time_size` bytes, each of its
// parts read through a cursor of its own.
const char* read_data(Cursor& c, const Header& h, int time_size, ZoneFile& zone)
{
    Cursor times = c.part(h.times * time_size), index = c.part(h.times), type = c.part(h.types * 6);
    const std::size_t name_bytes = static_cast<std::size_t>(h.chars);
    const unsigned char* names = c.take(h.chars);
    Cursor leap = c.part(h.leaps * (time_size + 4)), std_flags = c.part(h.std_flags), utc_flags = c.part(h.utc_flags);
    if (!c.ok())
        return "it ends before the data its header counts";
    if (names[name_bytes - 1] != '\0')
        return "its last name does not end";
    for (std::uint64_t i = 0; i < h.types; ++i) {
        // Offsets beyond a day either way are no zone's, and would move
        // dates out of the years a table shows.
        const std::int64_t east = type.signed_be(4);
        const std::uint64_t summer = type.be(1), name = type.be(1);
        const std::uint64_t is_std = h.std_flags != 0 ? std_flags.be(1) : 0;
        const std::uint64_t is_utc = h.utc_flags != 0 ? utc_flags.be(1) : 0;
        if (east < -89999 || east > 93599 || summer > 1 || name >= name_bytes)
            return "a local time type has an offset, summer-time flag or name out of range";
        if (is_std > 1 || is_utc > 1 || (is_utc == 1 && is_std != 1))
            return "a standard-time or UT indicator is out of range";
        zone.types.push_back({static_cast<std::int32_t>(east), reinterpret_cast<const char*>(names + name)});
    }
    zone.first_east = zone.types[0].east;
    zone.changes.reserve(static_cast<std::size_t>(h.times));
    for (std::uint64_t i = 0; i < h.times; ++i) {
        const std::int64_t at = times.signed_be(time_size);
        const std::uint64_t t = index.be(1);
        if (t >= h.types)
            return "a change names a local time type it does not have";
        if (i > 0 && at <= zone.changes.back().at)
            return "its changes are not in time order";
        zone.changes.push_back({at, zone.types[static_cast<std::size_t>(t)].east});
    }
    for (std::uint64_t i = 0; i < h.leaps; ++i) {
        const ZoneFile::Leap next = {leap.signed_be(time_size), leap.signed_be(4)};
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
    Cursor c(bytes, size);
    Header h{};
    if (const char* why = read_header(c, 4, size > 4 && bytes[4] >= '2', h))
        return why;
    if (h.version == '\0') {
        if (data_size(h, 4) != c.left())
            return "it does not end where its data does";
        return read_data(c, h, 4, zone);
    }
    // From version 2 on the first part is for readers of 32-bit times; the
    // second, with 64-bit times, and the closing rule are read.
    c.take(data_size(h, 4));
    if (const char* why = read_header(c, 8, false, h))
        return why;
    if (const char* why = read_data(c, h, 8, zone))
        return why;
    // The rest: "\n", the rule, "\n".
    const std::size_t rest = c.left();
    const unsigned char* line = c.take(rest);
    if (rest < 2 || line[0] != '\n' || std::memchr(line + 1, '\n', rest - 1) != line + rest - 1)
        return "its closing rule does not stand alone on the last line";
    const std::string text(line + 1, line + rest - 1);
    if (text.empty())
        return nullptr;
    zone.has_rule = true;
    if (!parse_tz_rule(text.c_str(), zone.rule) || (!zone.rule.dst_name.empty() && !zone.rule.has_dates))
        return "its closing rule does not read in full";
    return nullptr;
}

}  // namespace adconv

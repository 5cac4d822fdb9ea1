// Text of a record's time column: local "MM/DD/YYYY hh:mm:ss".
#ifndef ADCONV_TIME_TEXT_H
#define ADCONV_TIME_TEXT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace adconv {

constexpr std::size_t kTimeWidth = 19;

// Written in place of the time when the platform has no local time for a
// stamp, so the record still gets its row: "??/??/???? ??:??:??", split so
// that no part reads as a trigraph.
constexpr char kUnknownTime[] = "??" "/??" "/???? ??:??:??";
static_assert(sizeof kUnknownTime - 1 == kTimeWidth, "the marker fills the time column");

// Formats the fields as "%02d/%02d/%4d %02d:%02d:%02d" would: kTimeWidth
// characters, no terminator. Returns false, writing nothing, for a year
// outside 0..9999 (which would change the column's width).
bool format_calendar(const std::tm& fields, char* out);

// Time texts for a stream of stamps, equal byte for byte to local_fields()
// followed by format_calendar() (or kUnknownTime), but asking the platform
// only when a stamp leaves the span of time that is known to share one UTC
// offset. Consecutive records usually lie seconds apart, so nearly every
// text is built with a few additions from the cached offset and day.
class LocalTimeText {
public:
    LocalTimeText();

    // Writes exactly kTimeWidth characters, no terminator.
    void format(std::uint32_t rtc, char* out)
    {
        const std::int64_t t = rtc;
        // The usual case, kept inline: the second after the last text, still
        // inside the span and the same ten seconds.
        if (text_valid_ && t == text_t_ + 1 && t <= hi_ && text_[kTimeWidth - 1] != '9') {
            ++text_[kTimeWidth - 1];
            text_t_ = t;
            copy_text(out);
        } else {
            format_other(t, out);
        }
    }

private:
    void format_other(std::int64_t t, char* out);

    void copy_text(char* out) const
    {
        // The last digit is copied on its own: it was usually just stored as
        // one byte, and a wider load across it would have to wait for that store.
        std::memcpy(out, text_, kTimeWidth - 1);
        out[kTimeWidth - 1] = text_[kTimeWidth - 1];
    }
    void convert(std::int64_t t, char* out);
    bool probe(std::int64_t t);
    void from_offset(std::int64_t t, char* out);
    void build(std::int64_t t);

    // Whether local time is UTC time plus a whole offset, with no leap
    // seconds counted in the zone's data.
    bool offsets_usable_;

    // While have_span_, every stamp in [lo_, hi_] has local time t + offset_.
    bool have_span_ = false;
    std::int64_t lo_ = 0;
    std::int64_t hi_ = 0;
    std::int64_t offset_ = 0;

    // The text of stamp text_t_, which lies in the current span (so
    // text_valid_ implies have_span_); its date part is that of local day day_.
    bool text_valid_ = false;
    std::int64_t text_t_ = 0;
    bool day_valid_ = false;
    std::int64_t day_ = 0;
    char text_[kTimeWidth];
};

}  // namespace adconv

#endif

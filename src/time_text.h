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

// Time texts for a stream of stamps, asking the platform only when a stamp
// leaves the span of time that is known to share one UTC offset.
// Consecutive records usually lie seconds apart, so nearly every text is
// built with a few additions from the cached offset and day.
//
// The texts equal local_fields() followed by format_calendar() (or
// kUnknownTime) byte for byte, with one limit: a span grows by checking the
// offset a minute (kProbeStep) ahead or back, so a change of offset that
// reverts within that minute is not seen. No zone in the time-zone database
// does that; only a rule string written to do it can (TZ=AAA0BBB,J60/0,J60/1:00:30,
// 30 seconds of summer time, gives 30 texts that differ from the platform's).
class LocalTimeText {
public:
    // Uses the time-zone settings as read_time_zone() last read them.
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
            format_general(t, out);
        }
    }

private:
    // Any stamp: from the span, from the span grown by one probe, or from
    // the platform.
    void format_general(std::int64_t t, char* out);

    void copy_text(char* out) const { std::memcpy(out, text_, kTimeWidth); }
    // Asks the platform for t's text, written to out only, and starts a new
    // span at t.
    void ask_platform(std::int64_t t, char* out);
    // Whether the platform gives t the span's offset.
    bool has_span_offset(std::int64_t t) const;
    // t's text from the span's offset, through text_.
    void text_from_offset(std::int64_t t, char* out);
    // Rebuilds text_ for t from the span's offset, the date only on a new day.
    void build_text(std::int64_t t);

    // Whether local time is UTC time plus a whole offset, with no leap
    // seconds counted in the zone's data; without it no span is ever made.
    bool offsets_usable_;

    // While have_span_, every stamp in [lo_, hi_] has local time t + offset_.
    bool have_span_ = false;
    std::int64_t lo_ = 0;
    std::int64_t hi_ = 0;
    std::int64_t offset_ = 0;

    // While text_valid_, text_ holds the text of stamp text_t_, which lies
    // in the current span (so text_valid_ implies have_span_). Cleared
    // whenever the span is.
    bool text_valid_ = false;
    std::int64_t text_t_ = 0;
    // While day_valid_, text_'s date part is that of local day day_ (days
    // since 1970-01-01). Only build_text() writes text_'s date, and
    // ask_platform() never writes text_ at all, so a new span keeps this true.
    bool day_valid_ = false;
    std::int64_t day_ = 0;
    char text_[kTimeWidth];
};

}  // namespace adconv

#endif

// Text of a record's time column: local "MM/DD/YYYY hh:mm:ss".
#ifndef ADCONV_TIME_TEXT_H
#define ADCONV_TIME_TEXT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "zone_model.h"

namespace adconv {

constexpr std::size_t kTimeWidth = 19;

// Written in place of the time when the platform has no local time for a
// stamp, so the record still gets its row: "??/??/???? ??:??:??", split so
// that no part reads as a trigraph.
constexpr char kUnknownTime[] = "??" "/??" "/???? ??:??:??";
static_assert(sizeof kUnknownTime - 1 == kTimeWidth, "the marker fills the time column");

// The platform's own text for a stamp: its local time, or kUnknownTime.
void platform_text(std::int64_t t, char* out);

// Time texts for a stream of stamps, from the zone's model: the change in
// force is kept for the stamps that follow, and the text of the last stamp
// for the next second's.
class LocalTimeText {
public:
    explicit LocalTimeText(const ZoneModel& zone) : zone_(zone) {}

    // Writes exactly kTimeWidth characters, no terminator.
    void format(std::uint32_t rtc, char* out)
    {
        const std::int64_t t = rtc;
        // The usual case, kept inline: the second after the last text, in
        // the same change and the same ten seconds.
        if (text_valid_ && t == text_t_ + 1 && t < span_end_ && text_[kTimeWidth - 1] != '9') {
            ++text_[kTimeWidth - 1];
            text_t_ = t;
            std::memcpy(out, text_, kTimeWidth);
        } else {
            format_general(t, out);
        }
    }

private:
    void format_general(std::int64_t t, char* out);
    // Rebuilds text_ for t from the span's offset.
    void build_text(std::int64_t t);

    const ZoneModel& zone_;
    // Every stamp in [span_begin_, span_end_) has local time t + offset_;
    // span_begin_ itself is a leap second where leap_second_.
    std::int64_t span_begin_ = 0;
    std::int64_t span_end_ = 0;
    std::int32_t offset_ = 0;
    bool leap_second_ = false;

    // While text_valid_, text_ holds the text of stamp text_t_, inside the span.
    bool text_valid_ = false;
    std::int64_t text_t_ = 0;
    char text_[kTimeWidth];
};

}  // namespace adconv

#endif

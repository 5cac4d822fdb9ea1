// Building a zone's model from a zone file or a rule, over every 32-bit stamp.
#include "zone_model.h"

#include <algorithm>

namespace adconv {

namespace {

using Changes = std::vector<ZoneFile::Change>;

// A rule's changes in every year a stamp of 32 bits can reach, in time
// order; `first` gets the offset before them.
Changes rule_changes(const TzRule& rule, std::int32_t& first)
{
    first = rule.std_east;
    Changes out;
    if (rule.dst_name.empty())
        return out;
    for (std::int64_t year = 1968; year <= 2107; ++year) {
        const ZoneFile::Change start = {rule_change(rule, year, true), rule.dst_east};
        const ZoneFile::Change end = {rule_change(rule, year, false), rule.std_east};
        out.push_back(start.at < end.at ? start : end);
        out.push_back(start.at < end.at ? end : start);
    }
    // Stable: where one year's end meets the next year's start, the start
    // comes last and holds, as for summer time all year.
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
    first = out.front().east == rule.dst_east ? rule.std_east : rule.dst_east;
    return out;
}

// The model of offsets that change as `changes` say, from `first` on, with
// the leap seconds counted.
ZoneModel build(std::int32_t first, const Changes& changes, const std::vector<ZoneFile::Leap>& leaps)
{
    ZoneModel model;
    std::size_t c = 0, l = 0;
    std::int32_t east = first;
    std::int64_t correction = 0;
    for (std::int64_t t = 0; t <= kLastStamp;) {
        bool leap_second = false;
        for (; c < changes.size() && changes[c].at <= t; ++c)
            east = changes[c].east;
        for (; l < leaps.size() && leaps[l].at <= t; ++l) {
            leap_second = leaps[l].at == t && leaps[l].correction > correction;
            correction = leaps[l].correction;
        }
        const std::int32_t offset = static_cast<std::int32_t>(east - correction);
        if (model.changes.empty() || offset != model.changes.back().offset || leap_second)
            model.changes.push_back({t, offset, leap_second});
        if (t > 0)
            model.instants.push_back(t);
        const std::int64_t next_change = c < changes.size() ? changes[c].at : kLastStamp + 1;
        const std::int64_t next_leap = l < leaps.size() ? leaps[l].at : kLastStamp + 1;
        t = std::min(next_change, next_leap);
    }
    std::uint32_t i = 0;
    for (std::int64_t start = 0; start <= kLastStamp; start += std::int64_t{1} << 20) {
        while (i + 1 < model.changes.size() && model.changes[i + 1].at <= start)
            ++i;
        model.bucket_changes.push_back(i);
    }
    model.bucket_changes.push_back(static_cast<std::uint32_t>(model.changes.size() - 1));
    return model;
}

}  // namespace

ZoneModel zone_model(const TzRule& rule)
{
    std::int32_t first = 0;
    const Changes changes = rule_changes(rule, first);
    return build(first, changes, {});
}

ZoneModel zone_model(const ZoneFile& file)
{
    if (!file.has_rule)
        return build(file.first_east, file.changes, file.leaps);
    std::int32_t rule_first = 0;
    const Changes rule = rule_changes(file.rule, rule_first);
    // No change at all: the rule holds at every instant.
    if (file.changes.empty())
        return build(rule_first, rule, file.leaps);
    // From the last change on, the rule holds.
    Changes changes = file.changes;
    const std::int64_t last = changes.back().at;
    const auto later = std::upper_bound(rule.begin(), rule.end(), last,
                                        [](std::int64_t v, const ZoneFile::Change& c) { return v < c.at; });
    changes.back().east = later == rule.begin() ? rule_first : (later - 1)->east;
    changes.insert(changes.end(), later, rule.end());
    return build(file.first_east, changes, file.leaps);
}

}  // namespace adconv

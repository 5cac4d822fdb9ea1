// The zone folder's names: its tables of zones and countries, and the
// abbreviations its zone files use.
#include "zone_names.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "platform.h"
#include "zone_file.h"

namespace adconv {

namespace {

// The text of a file of the folder (the largest table is some 100 KiB), or
// empty.
std::string read_text(const std::string& path)
{
    std::vector<unsigned char> bytes(1 << 18);
    const SmallFile file = read_small_file(path.c_str(), bytes.data(), bytes.size());
    if (file.outcome != SmallFile::kRead || file.size > bytes.size())
        return std::string();
    return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(file.size));
}

// The lines of a file of the folder, each cut into its words at `separators`.
std::vector<std::vector<std::string>> read_lines(const std::string& path, const char* separators)
{
    const std::string text = read_text(path);
    std::vector<std::vector<std::string>> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        std::vector<std::string> words;
        for (std::size_t w = at; w < end;) {
            const std::size_t to = std::min(text.find_first_of(separators, w), end);
            if (to > w)
                words.push_back(text.substr(w, to - w));
            w = to + 1;
        }
        if (!words.empty() && words[0][0] != '#')
            lines.push_back(words);
        at = end + 1;
    }
    return lines;
}

// The zones of a table (zone1970.tab, zone.tab): "codes coordinates name ...".
std::vector<std::string> tabled_zones(const std::string& folder)
{
    std::vector<std::string> names;
    for (const char* table : {"/zone1970.tab", "/zone.tab"}) {
        for (const auto& words : read_lines(folder + table, "\t"))
            if (words.size() >= 3)
                names.push_back(words[2]);
        if (!names.empty())
            break;
    }
    return names;
}

}  // namespace

bool same_name(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

bool is_utc_name(const std::string& name)
{
    const std::string last = name.compare(0, 4, "Etc/") == 0 ? name.substr(4) : name;
    for (const char* utc : {"UTC", "UCT", "GMT", "GMT0", "GMT+0", "GMT-0", "Greenwich", "Universal", "Zulu"})
        if (same_name(last, utc))
            return true;
    return false;
}

std::vector<std::string> listed_zones(const std::string& folder)
{
    std::vector<std::string> names;
    // tzdata.zi: "Z name ..." and "L target name".
    for (const auto& words : read_lines(folder + "/tzdata.zi", " \t")) {
        if (words.size() >= 2 && words[0] == "Z")
            names.push_back(words[1]);
        else if (words.size() >= 3 && words[0] == "L")
            names.push_back(words[2]);
    }
    return names.empty() ? tabled_zones(folder) : names;
}

std::vector<AbbreviationUse> abbreviation_uses(const std::string& folder)
{
    // The tables list each zone once, under its own name; a link's data
    // are its target's.
    std::vector<AbbreviationUse> uses;
    std::vector<unsigned char> bytes(1 << 16);  // a zone file is a few KiB
    for (const std::string& zone : tabled_zones(folder)) {
        const SmallFile file = read_small_file((folder + "/" + zone).c_str(), bytes.data(), bytes.size());
        ZoneFile data;
        if (file.outcome != SmallFile::kRead || file.size > bytes.size() ||
            read_zone_file(bytes.data(), static_cast<std::size_t>(file.size), data) != nullptr)
            continue;
        const std::ptrdiff_t zone_start = static_cast<std::ptrdiff_t>(uses.size());
        for (const ZoneFile::Type& type : data.types) {
            if (type.name.empty() || type.name[0] == '+' || type.name[0] == '-')
                continue;  // a number says its offset itself
            const bool now = data.has_rule && ((type.name == data.rule.std_name && type.east == data.rule.std_east) ||
                                               (type.name == data.rule.dst_name && type.east == data.rule.dst_east));
            const AbbreviationUse use = {type.name, type.east, zone, now};
            const auto same = [&](const AbbreviationUse& u) {
                return u.abbreviation == use.abbreviation && u.east == use.east;
            };
            const auto seen = std::find_if(uses.begin() + zone_start, uses.end(), same);
            if (seen == uses.end())
                uses.push_back(use);
            else
                seen->now = seen->now || now;
        }
    }
    return uses;
}

std::vector<AbbreviationUse> uses_of(const std::vector<AbbreviationUse>& uses, const std::string& abbreviation)
{
    std::vector<AbbreviationUse> found;
    for (const AbbreviationUse& use : uses)
        if (same_name(use.abbreviation, abbreviation))
            found.push_back(use);
    std::stable_sort(found.begin(), found.end(), [](const AbbreviationUse& a, const AbbreviationUse& b) {
        return std::make_tuple(!a.now, a.zone) < std::make_tuple(!b.now, b.zone);
    });
    return found;
}

std::string country_of(const std::string& folder, const std::string& zone)
{
    std::string code;
    for (const auto& words : read_lines(folder + "/zone.tab", "\t"))
        if (words.size() >= 3 && words[2] == zone)
            code = words[0];
    if (code.empty())
        return code;
    for (const auto& words : read_lines(folder + "/iso3166.tab", "\t"))
        if (words.size() >= 2 && words[0] == code)
            return words[1];
    return std::string();
}

}  // namespace adconv

// Fuzz target: text to a zone. The input, up to its first NUL, is read as
// a TZ rule; where it reads, its model must hold the properties every model
// has, and the rule with its signs turned must read too, its standard
// offset turned.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "tz_rule.h"
#include "zone_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    adconv::TzRule rule;
    if (!adconv::parse_tz_rule(text.c_str(), rule))
        return 0;
    adconv_fuzz::check_model(adconv::zone_model(rule), data, size);
    const std::string turned = adconv::turned_rule(text.c_str());
    adconv::TzRule back;
    if (!adconv::parse_tz_rule(turned.c_str(), back) || back.std_east != -rule.std_east) {
        std::fprintf(stderr, "property violated: the turned rule '%s' does not read as the rule turned\n",
                     turned.c_str());
        std::abort();
    }
    return 0;
}

// The words of a TZ refusal: why a setting cannot be used, and what to
// write instead.
#ifndef ADCONV_ZONE_REFUSAL_H
#define ADCONV_ZONE_REFUSAL_H

#include <string>

#include "platform.h"
#include "tz_rule.h"

namespace adconv {

// A whole rule, as a refusal offers it for an example.
extern const char kRuleExample[];

// The refusal line: the setting ("TZ=VALUE", "TZ unset"), then why; a
// setting of over 200 characters is shown by its start and its length.
const char* refuse(const std::string& setting, const std::string& why);

// Why a rule's names contradict its offsets, or empty: a zone named UTC
// lies at UTC, one named +0530 at 5:30 hours ahead of it, and one named
// IST at an offset the zone data here give IST. `text` is the rule as given.
std::string contradiction(const TzRule& rule, const std::string& text, const TzSystem& system);

// Why a value that is neither a zone here nor a rule is refused, with the
// value it most likely meant.
std::string no_such_zone(const std::string& name, const TzSystem& system);

// Why the Windows runtime would not read a TZ value as written, or empty.
std::string runtime_form_why(TzForm form);

}  // namespace adconv

#endif

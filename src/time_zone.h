// The time zone of the run: the settings read as the C library documents
// them (TZ, else the system's zone), the zone file or rule they name read
// in full into one model, and that model checked against the C library's
// own conversion before any table is touched.
#ifndef ADCONV_TIME_ZONE_H
#define ADCONV_TIME_ZONE_H

#include "platform.h"
#include "zone_model.h"

namespace adconv {

// Builds `zone` from the settings and has the platform read them too;
// nullptr when every row can come from the model, else the whole refusal
// line ("TZ=VALUE: why"): settings that do not read in full, a name the
// system has no zone for, a rule whose name contradicts its offset, or an
// instant the platform reads otherwise.
const char* load_time_zone(ZoneModel& zone);
// The same for a system described otherwise: a test's own system zone.
const char* load_time_zone(ZoneModel& zone, const TzSystem& system);

}  // namespace adconv

#endif

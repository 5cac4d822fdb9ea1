// Property checks shared by the fuzz targets: a row must be the plain row
// of the record, and its values must read back as the record's counts; a
// zone's model must hold its changes in order and find each stamp's.
#ifndef ADCONV_FUZZ_CHECK_H
#define ADCONV_FUZZ_CHECK_H

#include <cstddef>
#include <cstdint>

#include "sample_record.h"
#include "zone_model.h"

namespace adconv_fuzz {

// Sets TZ to one of a fixed set of zones chosen by `selector`, if it is
// not the zone in force already, and returns it as adconv loads it.
const adconv::ZoneModel& select_zone(std::uint8_t selector);

// Copies kRecordSize bytes into a record.
adconv::sampleRecord record_from(const std::uint8_t* bytes);

// Aborts with a message unless `row` (kRowSize bytes) is the row of `record`.
void check_row(const adconv::sampleRecord& record, const char* row);

// Aborts with a message unless the model's changes start at stamp 0 and
// are in time order with offsets under a day and a bit, and unless the
// change found for each stamp that `bytes` spell (four at a time), and for
// every change and the second before it, is the one in force then, and its
// text reads as a time does.
void check_model(const adconv::ZoneModel& model, const std::uint8_t* bytes, std::size_t size);

}  // namespace adconv_fuzz

#endif

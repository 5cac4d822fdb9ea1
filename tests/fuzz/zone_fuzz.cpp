// Fuzz target: bytes to a zone. The input is read as a compiled zone file:
// refused, it must say why; taken, its model must hold the properties
// every model has.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_check.h"
#include "zone_file.h"
#include "zone_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    adconv::ZoneFile file;
    if (const char* why = adconv::read_zone_file(data, size, file)) {
        if (*why == '\0')
            std::abort();  // a refusal that gives no reason
        return 0;
    }
    adconv_fuzz::check_model(adconv::zone_model(file), data, size);
    return 0;
}

// Fuzz target: bytes to a zone. The input is read as a compiled zone file;
// where the reader takes it, its model must hold the properties every
// model has, and where it does not, it must say why.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_check.h"
#include "zone_file.h"
#include "zone_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    adconv::ZoneFile file;
    const char* why = adconv::read_zone_file(data, size, file);
    if (why != nullptr) {
        if (*why == '\0') {
            std::fprintf(stderr, "property violated: a refusal without a reason\n");
            std::abort();
        }
        return 0;
    }
    adconv_fuzz::check_model(adconv::zone_model(file), data, size);
    return 0;
}

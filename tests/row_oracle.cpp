#include "row_oracle.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace adconv_test {

const char kPlainHeader[] =
    "\r\nTime               \tad1_0\tad1_1\tad1_2\tad1_3\tad1_4\tad1_5\tad1_6\tad1_7"
    "\tad2_0\tad2_1\tad2_2\tad2_3\tad2_4\tad2_5\tad2_6\tad2_7\r\n";
const char kPlaceholder[] = "??" "/??" "/???? ??:??:??";  // split, so no part reads as a trigraph

std::string plain_row(const unsigned char* b)
{
    // A time_t of 32 bits (a C library without a 64-bit one) holds no stamp
    // from 2^31 on: those print the placeholder.
    const std::uint32_t rtc = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    const std::time_t t = static_cast<std::time_t>(rtc);
    const std::tm* local = t >= 0 ? std::localtime(&t) : nullptr;
    const bool dated = local != nullptr;
    const std::tm f = dated ? *local : std::tm{};
    double v[16];
    for (int i = 0; i < 16; ++i)
        v[i] = (b[4 + 2 * i] << 8 | b[5 + 2 * i]) * 3.8147554741741054e-05;
    char row[256];
    std::snprintf(row, sizeof row,
                  "%02d/%02d/%4d %02d:%02d:%02d\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f"
                  "\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\r\n",
                  f.tm_mon + 1, f.tm_mday, f.tm_year + 1900, f.tm_hour, f.tm_min, f.tm_sec, v[0], v[1], v[2], v[3],
                  v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14], v[15]);
    return dated ? row : kPlaceholder + std::string(row).substr(19);
}

}  // namespace adconv_test

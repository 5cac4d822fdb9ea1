// Writes a sample file of synthetic records, for the benchmark, the tests
// and the example:
//   make_samples OUT COUNT [sequential|random|mixed|smooth] [FIRST_STAMP]
// sequential: stamps one second apart from FIRST_STAMP; random: stamps drawn
// over the whole 32-bit range; mixed: runs of sequential stamps, repeats,
// jumps back and random stamps. Counts are pseudo-random with every tenth
// record holding the extremes. smooth: stamps one second apart and counts
// that look like a real recording (slow drifts, oscillations, a charging
// curve, a little noise), for pictures. The same arguments always give the
// same file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>

namespace {

void put_be(unsigned char* p, std::uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, v >>= 8)
        p[i] = static_cast<unsigned char>(v & 0xFF);
}

// Channel ch at second t of a smooth recording, in counts (26214 = 1.0).
std::uint32_t smooth_count(int ch, double t, std::mt19937& rng)
{
    const double pi = 3.14159265358979323846;
    const double noise = (static_cast<double>(rng() % 1000) - 500.0) / 500.0 * 0.004;
    double v;
    switch (ch % 4) {
    case 0: v = 1.2 + 0.6 * std::sin(2 * pi * t / 3600.0 + ch) + 0.1 * std::sin(2 * pi * t / 97.0); break;
    case 1: v = 1.25 + 0.8 * std::exp(-t / 1500.0) * std::sin(2 * pi * t / (240.0 + 20 * ch)); break;
    case 2: v = 0.3 + 1.7 * (1.0 - std::exp(-t / (500.0 + 100 * ch))); break;
    default: v = 0.8 + 0.0002 * t + 0.15 * std::sin(2 * pi * t / 900.0) * std::sin(2 * pi * t / 60.0); break;
    }
    v += noise;
    const double c = std::round(v * 26214.0);
    return static_cast<std::uint32_t>(c < 0 ? 0 : c > 65535 ? 65535 : c);
}

}  // namespace

int main(int argc, char* argv[])
{
    const char* mode = argc > 3 ? argv[3] : "sequential";
    const char* const modes[] = {"sequential", "random", "mixed", "smooth"};
    const auto is_mode = [mode](const char* m) { return std::strcmp(m, mode) == 0; };
    if (argc < 3 || std::none_of(std::begin(modes), std::end(modes), is_mode)) {
        std::fprintf(stderr, "Usage: %s out count [sequential|random|mixed|smooth] [first_stamp]\n", argv[0]);
        return 1;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    std::uint32_t stamp = argc > 4 ? static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)) : 1767225600u;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool smooth = std::strcmp(mode, "smooth") == 0;
    std::mt19937 rng(12345);
    unsigned char rec[36];
    for (long n = 0; n < count; ++n) {
        if (std::strcmp(mode, "random") == 0) {
            stamp = static_cast<std::uint32_t>(rng());
        } else if (std::strcmp(mode, "mixed") == 0) {
            switch (rng() % 8) {
            case 0: stamp = static_cast<std::uint32_t>(rng()); break;
            case 1: stamp -= rng() % 5000; break;
            case 2: break;  // repeated stamp
            default: stamp += 1; break;
            }
        } else if (n > 0) {  // sequential and smooth
            stamp += 1;
        }
        put_be(rec, stamp, 4);
        for (int ch = 0; ch < 16; ++ch) {
            std::uint32_t c = rng() & 0xFFFF;
            if (smooth)
                c = smooth_count(ch, static_cast<double>(n), rng);
            else if (n % 10 == 0)
                c = ch % 2 ? 0xFFFF : 0;
            put_be(rec + 4 + 2 * ch, c, 2);
        }
        if (std::fwrite(rec, sizeof rec, 1, out) != 1) {
            std::perror(argv[1]);
            return 1;
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

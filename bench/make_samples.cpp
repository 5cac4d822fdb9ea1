// Writes a sample file of synthetic records, for the benchmark, the tests
// and the example:
//   make_samples OUT COUNT [sequential|random|mixed] [FIRST_STAMP]
// sequential: stamps one second apart from FIRST_STAMP; random: stamps drawn
// over the whole 32-bit range; mixed: runs of sequential stamps, repeats,
// jumps back and random stamps. Counts are pseudo-random with every tenth
// record holding the extremes. The same arguments always give the same file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

void put_be(unsigned char* p, std::uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, v >>= 8)
        p[i] = static_cast<unsigned char>(v & 0xFF);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "Usage: %s out count [sequential|random|mixed] [first_stamp]\n", argv[0]);
        return 1;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    const char* mode = argc > 3 ? argv[3] : "sequential";
    std::uint32_t stamp = argc > 4 ? static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)) : 1767225600u;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
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
        } else if (n > 0) {
            stamp += 1;
        }
        put_be(rec, stamp, 4);
        for (int ch = 0; ch < 16; ++ch) {
            std::uint32_t c = rng() & 0xFFFF;
            if (n % 10 == 0)
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

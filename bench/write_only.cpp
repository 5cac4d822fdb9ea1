// The floor the benchmark measures adconv against: writes BYTES bytes to
// "adtable" in 1 MiB blocks, converting nothing.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "Usage: %s bytes\n", argv[0]);
        return 1;
    }
    long long left = std::atoll(argv[1]);
    static char block[1 << 20];
    // Real bytes, not untouched zero pages the kernel might treat specially.
    std::memset(block, '0', sizeof block);
    std::FILE* out = std::fopen("adtable", "wb");
    if (out == nullptr) {
        std::perror("adtable");
        return 1;
    }
    std::setvbuf(out, nullptr, _IONBF, 0);
    while (left > 0) {
        const std::size_t n = left < static_cast<long long>(sizeof block) ? static_cast<std::size_t>(left) : sizeof block;
        if (std::fwrite(block, 1, n, out) != n) {
            std::perror("adtable");
            return 1;
        }
        left -= static_cast<long long>(n);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

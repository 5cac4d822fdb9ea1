// The plain converter the benchmark and the whole-file tests compare with:
// one fread, one localtime and one fprintf per record, as simply as the
// table can be made. Never part of adconv itself.
#include <cstdio>
#include <ctime>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "Usage: %s filename\n", argv[0]);
        return 1;
    }
    std::FILE* ifp = std::fopen(argv[1], "rb");
    if (ifp == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::FILE* ofp = std::fopen("adtable", "wb");
    if (ofp == nullptr) {
        std::perror("adtable");
        return 1;
    }
    std::fprintf(ofp,
                 "\r\nTime               \tad1_0\tad1_1\tad1_2\tad1_3\tad1_4\tad1_5\tad1_6\tad1_7"
                 "\tad2_0\tad2_1\tad2_2\tad2_3\tad2_4\tad2_5\tad2_6\tad2_7\r\n");
    const double k = 3.8147554741741054e-05;
    unsigned char b[36];
    long nrec = 0;
    while (std::fread(b, 36, 1, ifp) == 1) {
        const std::time_t t = static_cast<std::time_t>(static_cast<unsigned long>(b[0]) << 24 |
                                                       static_cast<unsigned long>(b[1]) << 16 |
                                                       static_cast<unsigned long>(b[2]) << 8 | b[3]);
        const std::tm* tm = std::localtime(&t);
        double v[16];
        for (int i = 0; i < 16; ++i)
            v[i] = (b[4 + 2 * i] << 8 | b[5 + 2 * i]) * k;
        std::fprintf(ofp,
                     "%02d/%02d/%4d %02d:%02d:%02d\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f"
                     "\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\t%7.5f\r\n",
                     tm->tm_mon + 1, tm->tm_mday, tm->tm_year + 1900, tm->tm_hour, tm->tm_min, tm->tm_sec, v[0],
                     v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14], v[15]);
        ++nrec;
    }
    if (!std::feof(ifp))
        std::perror(argv[1]);
    std::printf("%ld records converted from file %s\n", nrec, argv[1]);
    std::fflush(stdout);
    std::fclose(ifp);
    return std::fclose(ofp);
}

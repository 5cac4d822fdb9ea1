// Times adconv against the plain reference converter and against writing
// the same number of bytes with no conversion, in one run:
//   adconv_bench [records] [runs] [another adconv]
// Another adconv, an earlier build say, is timed in the same turns.
// Each scenario makes its sample file, then runs the three programs in
// turn, `runs` times, each in a fresh folder with no old table to truncate
// and after the same warm-up,
// and reports wall-clock medians, throughput, ratios and peak memory. It
// also checks that adconv's table equals the reference's byte for byte.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
    double seconds;
    long peak_kib;
};

// Runs argv in dir with TZ set as given (nullptr unsets it), output discarded.
Sample run(const std::vector<std::string>& args, const fs::path& dir, const char* tz)
{
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (chdir(dir.c_str()) != 0 || null < 0 || dup2(null, 1) < 0)
            _exit(127);
        if (tz != nullptr)
            setenv("TZ", tz, 1);
        else
            unsetenv("TZ");
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto stop = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(stop - start).count(), usage.ru_maxrss};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Compared in pieces: holding whole tables here would count towards the
// children's peak memory, which starts as a copy of ours at fork.
bool same_bytes(const fs::path& a, const fs::path& b)
{
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    static char ba[1 << 16], bb[1 << 16];
    while (fa && fb) {
        fa.read(ba, sizeof ba);
        fb.read(bb, sizeof bb);
        if (fa.gcount() != fb.gcount() || !std::equal(ba, ba + fa.gcount(), bb))
            return false;
    }
    return fa.eof() && fb.eof();
}

struct Scenario {
    const char* name;
    const char* stamps;  // make_samples mode
    const char* tz;
};

struct Figures {
    double seconds;
    long peak_kib;
};

long long warm_bytes = 0;

Figures measure(const std::vector<std::string>& args, const fs::path& work, const char* tz, int runs,
                std::vector<double>& times)
{
    long peak = 0;
    const fs::path dir = work / "run";
    for (int i = 0; i < runs; ++i) {
        fs::remove_all(dir);
        fs::create_directory(dir);
        // Write and drop a table's worth of bytes first: on a virtual machine
        // fresh memory for the page cache can cost several times more to
        // touch than memory just freed, and the program that ran before
        // (the slow reference, say) would leave the next one the fresh kind.
        fs::create_directory(work / "warm");
        run({ADCONV_WRITE_ONLY, std::to_string(warm_bytes)}, work / "warm", nullptr);
        fs::remove_all(work / "warm");
        const Sample s = run(args, dir, tz);
        times.push_back(s.seconds);
        peak = std::max(peak, s.peak_kib);
    }
    return {median(times), peak};
}

}  // namespace

int main(int argc, char* argv[])
{
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const char* other = argc > 3 ? argv[3] : nullptr;
    const fs::path work = fs::temp_directory_path() / ("adconv-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    const long long table_bytes = 119 + 149LL * records;
    warm_bytes = table_bytes;
    const double table_mb = static_cast<double>(table_bytes) / 1e6;

    const Scenario scenarios[] = {
        {"sequential stamps, TZ=Europe/Berlin", "sequential", "Europe/Berlin"},
        {"sequential stamps, TZ unset", "sequential", nullptr},
        {"random stamps, TZ=Europe/Berlin", "random", "Europe/Berlin"},
    };
    std::printf("%ld records (%.1f MB in, %.1f MB table), median of %d paired runs\n\n", records,
                36.0 * static_cast<double>(records) / 1e6, table_mb, runs);
    std::printf("%-38s %-11s %9s %12s %9s %10s\n", "scenario", "program", "seconds", "records/s", "MB/s", "peak RSS");
    bool identical = true;
    double berlin[2][2] = {};  // sequential and random stamps in Europe/Berlin: adconv's and the other's
    for (const Scenario& sc : scenarios) {
        const fs::path input = work / (std::string(sc.stamps) + ".bin");
        if (!fs::exists(input))
            run({ADCONV_MAKE_SAMPLES, input.string(), std::to_string(records), sc.stamps}, work, nullptr);

        // Paired: the three programs take turns, so a slow moment of the
        // machine touches all of them alike.
        std::vector<double> ta, to, tr, tw;
        long pa = 0, po = 0, pr = 0, pw = 0;
        for (int i = 0; i < runs; ++i) {
            // The two adconvs take the first turn in turn: in some scenarios
            // whichever went first ran up to a quarter slower.
            const bool other_first = other != nullptr && i % 2 == 1;
            if (other_first)
                po = std::max(po, measure({other, input.string()}, work, sc.tz, 1, to).peak_kib);
            pa = std::max(pa, measure({ADCONV_BINARY, input.string()}, work, sc.tz, 1, ta).peak_kib);
            if (other != nullptr && !other_first) {
                fs::rename(work / "run" / "adtable", work / "ours");
                po = std::max(po, measure({other, input.string()}, work, sc.tz, 1, to).peak_kib);
                if (i == 0 && !same_bytes(work / "ours", work / "run" / "adtable"))
                    identical = false;
                fs::remove(work / "ours");
            }
            fs::rename(work / "run" / "adtable", work / "ours");
            pr = std::max(pr, measure({ADCONV_REFERENCE, input.string()}, work, sc.tz, 1, tr).peak_kib);
            if (i == 0 && !same_bytes(work / "ours", work / "run" / "adtable"))
                identical = false;
            fs::remove(work / "ours");
            pw = std::max(pw, measure({ADCONV_WRITE_ONLY, std::to_string(table_bytes)}, work, sc.tz, 1, tw).peak_kib);
        }
        const double a = median(ta), r = median(tr), w = median(tw);
        if (sc.tz != nullptr) {
            const bool random = std::string(sc.stamps) == "random";
            berlin[random][0] = a;
            berlin[random][1] = other != nullptr ? median(to) : 0;
        }
        const auto line = [&](const char* scenario, const char* program, double s, long peak) {
            std::printf("%-38s %-11s %9.3f %12.0f %9.0f %7.1f MiB\n", scenario, program, s,
                        static_cast<double>(records) / s, table_mb / s, static_cast<double>(peak) / 1024);
        };
        line(sc.name, "adconv", a, pa);
        if (other != nullptr)
            line("", "other", median(to), po);
        line("", "reference", r, pr);
        line("", "write only", w, pw);
        std::printf("%-38s reference/adconv %.1fx, adconv/write-only %.2fx", "", r / a, a / w);
        if (other != nullptr)
            std::printf(", other/adconv %.2fx", median(to) / a);
        std::printf("\n\n");
    }

    std::printf("random/sequential stamps (TZ=Europe/Berlin): adconv %.2fx", berlin[1][0] / berlin[0][0]);
    if (other != nullptr)
        std::printf(", other %.2fx", berlin[1][1] / berlin[0][1]);
    std::printf("\n");

    // Memory must not grow with the input.
    const fs::path big = work / "big.bin";
    run({ADCONV_MAKE_SAMPLES, big.string(), std::to_string(4 * records), "sequential"}, work, nullptr);
    std::vector<double> tb, ts;
    const long peak_small = measure({ADCONV_BINARY, (work / "sequential.bin").string()}, work, "Europe/Berlin", 1, ts).peak_kib;
    const long peak_big = measure({ADCONV_BINARY, big.string()}, work, "Europe/Berlin", 1, tb).peak_kib;
    std::printf("peak RSS of adconv: %.1f MiB for %ld records, %.1f MiB for %ld records\n",
                static_cast<double>(peak_small) / 1024, records, static_cast<double>(peak_big) / 1024, 4 * records);
    std::printf("tables identical to the reference's%s: %s\n", other != nullptr ? " and the other's" : "",
                identical ? "yes" : "NO");
    fs::remove_all(work);
    return identical ? 0 : 1;
}

#include "test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform.h"
#include "time_zone.h"

namespace adconv_test {

std::string record_bytes(std::uint32_t rtc, const Counts& counts)
{
    std::string b;
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<char>(rtc >> shift & 0xFF));
    for (unsigned c : counts) {
        b.push_back(static_cast<char>(c >> 8 & 0xFF));
        b.push_back(static_cast<char>(c & 0xFF));
    }
    return b;
}

adconv::sampleRecord make_record(std::uint32_t rtc, const Counts& counts)
{
    const std::string b = record_bytes(rtc, counts);
    adconv::sampleRecord r{};
    for (std::size_t i = 0; i < adconv::kTimeStampSize; ++i)
        r.rtc[i] = static_cast<unsigned char>(b[i]);
    for (std::size_t ch = 0; ch < adconv::kChannelCount; ++ch)
        for (std::size_t i = 0; i < adconv::kCountSize; ++i)
            r.samples[ch][i] = static_cast<unsigned char>(b[adconv::kTimeStampSize + 2 * ch + i]);
    return r;
}

#ifdef _WIN32

static void put_tz(const char* tz)
{
    _putenv_s("TZ", tz != nullptr ? tz : "");  // an empty value removes it
}

std::int64_t utc_seconds(std::tm fields)
{
    return _mkgmtime64(&fields);
}

#else

static void put_tz(const char* tz)
{
    if (tz != nullptr)
        setenv("TZ", tz, 1);
    else
        unsetenv("TZ");
}

std::int64_t utc_seconds(std::tm fields)
{
    return timegm(&fields);
}

#endif

const adconv::ZoneModel& set_tz(const char* tz)
{
    static adconv::ZoneModel zone;
    put_tz(tz);
    const char* refusal = adconv::load_time_zone(zone);
    // Windows asks its runtime for every stamp, refused forms too, which
    // the tests compare with it all the same.
    if (refusal != nullptr && !zone.ask_platform)
        throw std::runtime_error(refusal);
    return zone;
}

bool dates_after_2038()
{
    std::tm fields{};
    return adconv::local_fields(std::int64_t{1} << 31, fields);
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

TempDir::TempDir()
{
    static std::mt19937_64 rng(std::random_device{}());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path p = base / ("adconv-test-" + std::to_string(rng() % 1000000000));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) {
            path_ = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

#ifndef _WIN32
bool has_dev_full()
{
    return access("/dev/full", W_OK) == 0;
}

bool has_terminals()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    const bool usable = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0;
    if (master >= 0)
        close(master);
    return usable;
}

RunResult run_adconv(const std::string& dir, const std::vector<std::string>& args, const RunOptions& options)
{
    TempDir capture;
    const std::string out_path = options.stdout_path.empty() ? capture / "stdout" : options.stdout_path;
    const std::string err_path = capture / "stderr";

    std::vector<std::string> argv_text;
    if (!options.shell.empty())
        argv_text = {"/bin/sh", "-c", options.shell};
    std::istringstream emulator(ADCONV_EMULATOR);
    for (std::string word; emulator >> word;)
        argv_text.push_back(word);
    argv_text.push_back(options.program);
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The child's environment: this one's, with TZ as the options say.
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "TZ=", 3) != 0)
            envp.push_back(*e);
    std::string tz = options.tz != nullptr ? std::string("TZ=") + options.tz : "";
    if (options.tz != nullptr)
        envp.push_back(tz.data());
    std::vector<std::string> more = options.env;
    for (std::string& e : more)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    // A terminal in raw mode, so the text arrives as it was written.
    int master = -1;
    std::string terminal;
    if (options.terminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            throw std::runtime_error("cannot make a terminal");
        terminal = ptsname(master);
    }
    const int slave = options.terminal ? open(terminal.c_str(), O_RDWR | O_NOCTTY) : -1;
    if (slave >= 0) {
        termios raw;
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
    }

    // posix_spawn rather than fork: the tests run threads, and fork hangs
    // under some emulators (qemu-user for i386).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (slave >= 0) {
        posix_spawn_file_actions_adddup2(&actions, slave, 1);
        posix_spawn_file_actions_adddup2(&actions, slave, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot run " + argv_text[0]);
    if (options.while_running)
        options.while_running(pid);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);

    RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    if (slave >= 0) {
        // The slave is still open here, so the master reads what is left
        // rather than an error; then it would block, and stops.
        fcntl(master, F_SETFL, O_NONBLOCK);
        char buf[4096];
        for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
            r.out.append(buf, static_cast<std::size_t>(n));
        close(slave);
        close(master);
        return r;
    }
    if (options.stdout_path.empty())
        r.out = read_file(out_path);
    r.err = read_file(err_path);
    return r;
}

int open_fifo_writer(const std::string& path)
{
    for (int tries = 0; tries < 3000; ++tries) {
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, 0);
            return fd;
        }
        if (errno != ENXIO)  // ENXIO: no reader yet
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}
#endif

}  // namespace adconv_test

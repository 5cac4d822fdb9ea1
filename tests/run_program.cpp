#include "run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "test_support.h"

namespace adconv_test {

RunResult run_adconv(const std::string& dir, const std::vector<std::string>& args, const RunOptions& options)
{
    TempDir capture;
    const std::string out_path = options.stdout_path.empty() ? capture / "stdout" : options.stdout_path;
    const std::string err_path = capture / "stderr";

    std::vector<std::string> argv_text{options.argv0};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(dir.c_str()) != 0)
            _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (options.tz != nullptr)
            setenv("TZ", options.tz, 1);
        else
            unsetenv("TZ");
        execv(options.program.c_str(), argv.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);

    RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    if (options.stdout_path.empty())
        r.out = read_file(out_path);
    r.err = read_file(err_path);
    return r;
}

}  // namespace adconv_test

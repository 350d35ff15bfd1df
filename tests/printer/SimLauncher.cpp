#include "SimLauncher.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace ecpsim {

namespace {
int removeEntry(const char* path, const struct stat*, int, FTW*) {
    return ::remove(path);
}

std::string makeScratch() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/ecpsim-XXXXXX";
    if (!mkdtemp(templ.data())) return {};
    return templ;
}
}  // namespace

SimResult runScenario(const std::vector<std::string>& simArgs, const std::string& filter,
                      int timeoutMs) {
    SimResult result;
    const std::string dir = makeScratch();
    if (dir.empty()) return result;
    const std::string cards = dir + "/cards";
    mkdir(cards.c_str(), 0755);

    std::vector<std::string> args = {KSIM_BIN, "--control", dir + "/c.sock", "--cards",
                                     cards,    "--log",     dir + "/sim.log"};
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    args.insert(args.end(), {"--", SIM_CLIENT_BIN, "--gtest_filter=" + filter});

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(out[1], 2);
        if (chdir(dir.c_str()) != 0) _exit(126);
        setenv("TMPDIR", dir.c_str(), 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            result.output += "\n[killed after " + std::to_string(timeoutMs) + " ms]";
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::min<long>(left, 500))) <= 0) continue;
        char buf[4096];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        result.output.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (result.status != 0) {
        result.output += "\n--- simulator log (last part) ---\n";
        if (FILE* f = fopen((dir + "/sim.log").c_str(), "rb")) {
            fseek(f, 0, SEEK_END);
            const long size = ftell(f);
            fseek(f, size > 6000 ? size - 6000 : 0, SEEK_SET);
            char buf[6001];
            const size_t n = fread(buf, 1, 6000, f);
            result.output.append(buf, n);
            fclose(f);
        }
    }
    nftw(dir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    return result;
}

}  // namespace ecpsim

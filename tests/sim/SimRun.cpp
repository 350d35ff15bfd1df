#include "SimRun.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace ksimtest {

namespace fs = std::filesystem;

std::string boardClient() {
    return KSIM_BOARD_CLIENT;
}
std::string kioskSim() {
    return KSIM_BIN;
}

SimRun::SimRun(SimRun&& other) noexcept
    : status(other.status),
      out(std::move(other.out)),
      log(std::move(other.log)),
      scratch(std::move(other.scratch)) {
    other.scratch.clear();
}

SimRun::~SimRun() {
    if (scratch.empty()) return;
    std::error_code ec;
    fs::remove_all(scratch, ec);
}

std::vector<std::string> SimRun::lines(const std::string& prefix) const {
    std::vector<std::string> found;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
}

static std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

SimRun runSim(const std::vector<std::string>& simArgs, const std::vector<std::string>& clientArgs,
              int timeoutMs, std::vector<std::string> command) {
    SimRun run;
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ksim-test.XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) return run;
    run.scratch = buf.data();
    std::string logPath = run.scratch + "/sim.log";
    std::string outPath = run.scratch + "/out.txt";

    auto inScratch = [&run](std::string a) {
        for (size_t at; (at = a.find("{scratch}")) != std::string::npos;) {
            a.replace(at, 9, run.scratch);
        }
        return a;
    };
    std::vector<std::string> args = {kioskSim()};
    for (const auto& a : simArgs) args.push_back(inScratch(a));
    args.insert(args.end(), {"--log", logPath, "--"});
    if (command.empty()) {
        command.push_back(boardClient());
        for (const auto& a : clientArgs) command.push_back(inScratch(a));
    }
    args.insert(args.end(), command.begin(), command.end());

    pid_t pid = fork();
    if (pid == 0) {
        setenv("TMPDIR", run.scratch.c_str(), 1);
        if (!freopen(outPath.c_str(), "w", stdout)) _exit(126);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool done = false;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        done = waitpid(pid, &status, WNOHANG) == pid;
        if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!done) {
        kill(pid, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        run.status = -1;
    } else {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    run.out = slurp(outPath);
    run.log = slurp(logPath);
    return run;
}

}  // namespace ksimtest

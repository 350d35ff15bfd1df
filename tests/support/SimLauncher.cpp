#include "SimLauncher.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace kqtest {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits for the child until the deadline, looking every few milliseconds.
bool reap(pid_t pid, Clock::time_point deadline, int* status) {
    for (;;) {
        if (waitpid(pid, status, WNOHANG) == pid) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

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

SimRun runSim(const std::vector<std::string>& simArgs, const std::vector<std::string>& command,
              const SimOptions& options) {
    SimRun run;
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ksim-run.XXXXXX";
    if (!mkdtemp(pattern.data())) return run;
    run.scratch = pattern;
    for (const std::string& folder : options.folders) {
        std::error_code ec;
        fs::create_directories(run.scratch + "/" + folder, ec);
    }
    const std::string logPath = run.scratch + "/sim.log";
    const std::string outPath = run.scratch + "/out.txt";

    auto inScratch = [&run](std::string a) {
        for (size_t at; (at = a.find("{scratch}")) != std::string::npos;) {
            a.replace(at, 9, run.scratch);
        }
        return a;
    };
    std::vector<std::string> args = {KSIM_BIN};
    for (const auto& a : simArgs) args.push_back(inScratch(a));
    args.insert(args.end(), {"--log", logPath, "--"});
    for (const auto& a : command) args.push_back(inScratch(a));

    const pid_t pid = fork();
    if (pid == 0) {
        setenv("TMPDIR", run.scratch.c_str(), 1);
        if (options.workInScratch && chdir(run.scratch.c_str()) != 0) _exit(126);
        if (!freopen(outPath.c_str(), "w", stdout)) _exit(126);
        if (options.mergeStderr && dup2(STDOUT_FILENO, STDERR_FILENO) < 0) _exit(126);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (reap(pid, Clock::now() + std::chrono::milliseconds(options.timeoutMs), &status)) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else {
        // Give kiosk-sim the chance to end its command and write its log.
        kill(pid, SIGTERM);
        if (!reap(pid, Clock::now() + std::chrono::seconds(2), &status)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        run.status = -1;
    }
    run.out = slurp(outPath);
    if (run.status == -1)
        run.out += "\n[stopped after " + std::to_string(options.timeoutMs) + " ms]";
    run.log = slurp(logPath);
    return run;
}

SimRun runScenario(const std::vector<std::string>& simArgs, const std::string& client,
                   const std::string& filter, int timeoutMs) {
    std::vector<std::string> args = {"--control", "{scratch}/c.sock", "--cards", "{scratch}/cards"};
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    SimOptions options;
    options.timeoutMs = timeoutMs;
    options.mergeStderr = true;
    options.workInScratch = true;
    options.folders = {"cards"};
    SimRun run = runSim(args, {client, "--gtest_filter=" + filter}, options);
    if (run.status != 0) {
        const size_t keep = 6000;
        run.out += "\n--- simulator log (last part) ---\n";
        run.out += run.log.size() > keep ? run.log.substr(run.log.size() - keep) : run.log;
    }
    return run;
}

}  // namespace kqtest

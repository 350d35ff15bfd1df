#pragma once
// Runs kiosk-sim with a command in a scratch folder and collects what came out.
#include <string>
#include <vector>

namespace ksimtest {

struct SimRun {
    int status = -1;      // kiosk-sim's exit status; -1 when it had to be killed
    std::string out;      // the command's standard output
    std::string log;      // the --log file
    std::string scratch;  // the run's scratch folder (removed by the destructor)

    SimRun() = default;
    SimRun(const SimRun&) = delete;
    SimRun& operator=(const SimRun&) = delete;
    SimRun(SimRun&& other) noexcept;
    ~SimRun();

    // Lines of `out` that start with `prefix`.
    std::vector<std::string> lines(const std::string& prefix) const;
};

// kiosk-sim SIM_ARGS --log LOG -- COMMAND. A COMMAND of {} runs board_client with
// CLIENT_ARGS. Every run has its own scratch folder, which is its TMPDIR and replaces
// "{scratch}" in the arguments; a run longer than `timeoutMs` is killed.
SimRun runSim(const std::vector<std::string>& simArgs, const std::vector<std::string>& clientArgs,
              int timeoutMs = 30000, std::vector<std::string> command = {});

std::string boardClient();
std::string kioskSim();

}  // namespace ksimtest

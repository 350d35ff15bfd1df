// Runs a command under kiosk-sim in a scratch folder of its own and collects
// what came out, with the exit status of kiosk-sim (which is the command's).
#pragma once

#include <string>
#include <vector>

namespace kqtest {

struct SimRun {
    int status = -1;      // exit status, 128 + signal when killed by one, -1 after a time-out
    std::string out;      // the command's standard output (and error, when merged)
    std::string log;      // the simulator's --log file
    std::string scratch;  // the run's scratch folder (removed by the destructor)

    SimRun() = default;
    SimRun(const SimRun&) = delete;
    SimRun& operator=(const SimRun&) = delete;
    SimRun(SimRun&& other) noexcept;
    ~SimRun();

    // Lines of `out` that start with `prefix`.
    std::vector<std::string> lines(const std::string& prefix) const;
};

struct SimOptions {
    int timeoutMs = 30000;             // a longer run is stopped and fails
    bool mergeStderr = false;          // standard error into `out` as well
    bool workInScratch = false;        // the scratch folder as working folder
    std::vector<std::string> folders;  // created below the scratch folder first
};

// kiosk-sim SIM_ARGS --log LOG -- COMMAND. The scratch folder is the run's TMPDIR
// and replaces "{scratch}" in every argument.
SimRun runSim(const std::vector<std::string>& simArgs, const std::vector<std::string>& command,
              const SimOptions& options = {});

// One part of a GoogleTest client under kiosk-sim with a control socket and a
// folder for printed cards; on a failure `out` ends with the simulator log's tail.
SimRun runScenario(const std::vector<std::string>& simArgs, const std::string& client,
                   const std::string& filter, int timeoutMs);

}  // namespace kqtest

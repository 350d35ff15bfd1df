#include "SimRun.h"

namespace ksimtest {

std::string boardClient() {
    return KSIM_BOARD_CLIENT;
}
std::string kioskSim() {
    return KSIM_BIN;
}

SimRun runSim(const std::vector<std::string>& simArgs, const std::vector<std::string>& clientArgs,
              int timeoutMs, std::vector<std::string> command) {
    if (command.empty()) {
        command.push_back(boardClient());
        command.insert(command.end(), clientArgs.begin(), clientArgs.end());
    }
    kqtest::SimOptions options;
    options.timeoutMs = timeoutMs;
    return kqtest::runSim(simArgs, command, options);
}

}  // namespace ksimtest

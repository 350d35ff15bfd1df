#pragma once
// kiosk-sim's own tests: the shared launcher, with board_client as the command
// unless the test names another.
#include <string>
#include <vector>

#include "SimLauncher.h"

namespace ksimtest {

using kqtest::SimRun;

// kiosk-sim SIM_ARGS --log LOG -- COMMAND. A COMMAND of {} runs board_client with
// CLIENT_ARGS. "{scratch}" in the arguments is the run's own scratch folder.
SimRun runSim(const std::vector<std::string>& simArgs, const std::vector<std::string>& clientArgs,
              int timeoutMs = 30000, std::vector<std::string> command = {});

std::string boardClient();
std::string kioskSim();

}  // namespace ksimtest

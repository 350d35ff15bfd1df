#pragma once
// Runs printer_sim_client under kiosk-sim in a scratch folder below $TMPDIR, with a
// control socket and a folder for the printed cards, and collects its output.
#include <string>
#include <vector>

namespace ecpsim {

struct SimResult {
    int status = -1;  // kiosk-sim's exit status (the client's); -1 when killed
    std::string output;
};

SimResult runScenario(const std::vector<std::string>& simArgs, const std::string& filter,
                      int timeoutMs = 60000);

}  // namespace ecpsim

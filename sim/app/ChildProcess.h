#pragma once
// The command kiosk-sim runs under its simulated devices.
#include <sys/types.h>

#include <string>
#include <vector>

namespace ksim::app {

// Blocks the signals the main thread waits for and ignores SIGPIPE; call before any
// thread starts.
void blockSignals();

// Starts `command` (searched in PATH) with the current environment and the signals
// unblocked. Returns the pid, or -1 with a reason (also when exec fails).
pid_t spawnChild(const std::vector<std::string>& command, std::string* error);

// Waits for `child`, passing SIGTERM, SIGHUP, SIGQUIT and sent SIGINTs on (a SIGINT
// from the terminal reaches the child by itself). Returns the exit status, or 128+N
// for signal N. With child -1, waits for SIGINT or SIGTERM and returns 0.
int waitForChild(pid_t child);

// Terminates and reaps any process left behind by the child (kiosk-sim is their
// subreaper): SIGTERM, then SIGKILL after `graceMs`.
void endOrphans(int graceMs);

}  // namespace ksim::app

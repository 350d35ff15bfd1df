// Single key presses without echo on a terminal, for as long as the object
// lives; the terminal's settings come back however the process ends: normally,
// by Ctrl-C, SIGTERM, SIGQUIT or SIGHUP.
#pragma once

namespace devconsole {

class TerminalMode {
  public:
    // Switches fd when it is a terminal; otherwise does nothing.
    explicit TerminalMode(int fd);
    ~TerminalMode();
    TerminalMode(const TerminalMode&) = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;
};

}  // namespace devconsole

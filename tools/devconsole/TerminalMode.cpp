#include "TerminalMode.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace devconsole {

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

// Read by the signal handler: set before the handlers are installed.
int gFd = -1;
termios gSaved{};
volatile sig_atomic_t gSwitched = 0;

void restore() {
    if (gSwitched) tcsetattr(gFd, TCSANOW, &gSaved);
}

// Puts the settings back, then lets the signal end the process as usual.
void onSignal(int sig) {
    restore();
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

TerminalMode::TerminalMode(int fd) {
    if (!isatty(fd) || tcgetattr(fd, &gSaved) != 0) return;
    gFd = fd;
    termios keys = gSaved;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) sigaddset(&action.sa_mask, sig);
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
    gSwitched = 1;
    tcsetattr(fd, TCSANOW, &keys);
}

TerminalMode::~TerminalMode() {
    restore();
    gSwitched = 0;
    for (int sig : kSignals) signal(sig, SIG_DFL);
}

}  // namespace devconsole

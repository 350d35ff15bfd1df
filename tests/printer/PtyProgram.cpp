#include "PtyProgram.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace ecpsim {

PtyProgram::PtyProgram(const std::string& path, const std::string& workDir) {
    termios raw{};
    cfmakeraw(&raw);
    pid_ = forkpty(&master_, nullptr, &raw, nullptr);
    if (pid_ == 0) {
        if (chdir(workDir.c_str()) != 0) _exit(126);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

PtyProgram::~PtyProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
}

bool PtyProgram::readSome(int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buf[4096];
    const ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) {
        closed_ = true;  // the program has gone and closed its terminal
        return false;
    }
    output_.append(buf, static_cast<size_t>(n));
    return true;
}

bool PtyProgram::expect(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto at = output_.find(text, seen_);
        if (at != std::string::npos) {
            seen_ = at + text.size();
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || closed_) return false;
        readSome(static_cast<int>(left));
    }
}

void PtyProgram::type(const std::string& line) {
    const std::string text = line + "\n";
    if (write(master_, text.data(), text.size()) < 0) return;
}

int PtyProgram::wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            while (readSome(0)) {
            }
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (!readSome(50) && closed_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

}  // namespace ecpsim

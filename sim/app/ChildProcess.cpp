#include "app/ChildProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ksim::app {

namespace {

sigset_t waitedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, s);
    return set;
}

std::vector<pid_t> ownChildren() {
    std::vector<pid_t> pids;
    DIR* proc = opendir("/proc");
    if (!proc) return pids;
    pid_t self = getpid();
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 0) continue;
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // Fields after the command name in parentheses: state, then the parent pid.
        auto close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        long ppid = 0;
        rest >> state >> ppid;
        if (ppid == self) pids.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return pids;
}

}  // namespace

void blockSignals() {
    sigset_t set = waitedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A log on a closed pipe must not end the simulator; the child gets SIGPIPE back.
    signal(SIGPIPE, SIG_IGN);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
}

pid_t spawnChild(const std::vector<std::string>& command, std::string* error) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + strerror(errno);
        return -1;
    }
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        *error = std::string("fork: ") + strerror(errno);
        close(report[0]);
        close(report[1]);
        return -1;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        signal(SIGPIPE, SIG_DFL);
        sigset_t set = waitedSignals();
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        execvp(argv[0], argv.data());
        int err = errno;
        ssize_t n = write(report[1], &err, sizeof err);
        (void)n;
        _exit(127);
    }
    close(report[1]);
    int err = 0;
    ssize_t n;
    do {
        n = read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n == sizeof err) {
        waitpid(pid, nullptr, 0);
        *error = "cannot run " + command[0] + ": " + strerror(err);
        return -1;
    }
    return pid;
}

int waitForChild(pid_t child) {
    sigset_t set = waitedSignals();
    for (;;) {
        siginfo_t info{};
        int sig = sigwaitinfo(&set, &info);
        if (sig < 0) continue;
        if (sig == SIGCHLD) {
            if (child < 0) {
                while (waitpid(-1, nullptr, WNOHANG) > 0) {
                }
                continue;
            }
            int status = 0;
            pid_t done;
            while ((done = waitpid(-1, &status, WNOHANG)) > 0) {
                if (done != child) continue;
                if (WIFEXITED(status)) return WEXITSTATUS(status);
                if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            }
            continue;
        }
        if (child < 0) {
            if (sig == SIGINT || sig == SIGTERM || sig == SIGHUP) return 0;
            continue;
        }
        bool fromTerminal = sig == SIGINT && info.si_pid == 0;
        if (!fromTerminal) kill(child, sig);
    }
}

void endOrphans(int graceMs) {
    auto left = ownChildren();
    if (left.empty()) return;
    for (pid_t p : left) kill(p, SIGTERM);
    for (int waited = 0; waited < graceMs; waited += 20) {
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        if (ownChildren().empty()) return;
        timespec ts{0, 20 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    for (pid_t p : ownChildren()) kill(p, SIGKILL);
    for (int i = 0; i < 100 && waitpid(-1, nullptr, 0) > 0; ++i) {
    }
}

}  // namespace ksim::app

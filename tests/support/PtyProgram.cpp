#include "PtyProgram.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>

namespace kqtest {

namespace {

int leftMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

int decode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

PtyProgram::PtyProgram(const std::vector<std::string>& argv, PtyOptions options) {
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&mMaster, &mSlave, nullptr, options.raw ? &raw : nullptr, nullptr) != 0) return;
    tcgetattr(mSlave, &mInitial);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    mPid = fork();
    if (mPid == 0) {
        close(mMaster);
        if (login_tty(mSlave) != 0) _exit(126);
        if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
        execv(args[0], args.data());
        _exit(127);
    }
}

PtyProgram::~PtyProgram() {
    if (mPid > 0) {
        int status = 0;
        if (waitpid(mPid, &status, WNOHANG) == mPid) {
            while (readSome(0)) {
            }
            if (decode(status) != 0) {
                ADD_FAILURE() << "the program ended with status " << decode(status) << ":\n"
                              << mOutput;
            }
        } else {
            kill(mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
    }
    if (mSlave >= 0) close(mSlave);
    if (mMaster >= 0) close(mMaster);
}

bool PtyProgram::readSome(int timeoutMs) {
    pollfd p{mMaster, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buf[4096];
    const ssize_t n = read(mMaster, buf, sizeof buf);
    if (n <= 0) {
        mClosed = true;  // the program has gone and closed its terminal
        return false;
    }
    mOutput.append(buf, static_cast<size_t>(n));
    return true;
}

bool PtyProgram::expect(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t at = mOutput.find(text, mSeen);
        if (at != std::string::npos) {
            mSeen = at + text.size();
            return true;
        }
        const int left = leftMs(deadline);
        if (left == 0 || mClosed) return false;
        readSome(left);
    }
}

void PtyProgram::type(const std::string& keys) {
    for (char key : keys) {
        if (write(mMaster, &key, 1) != 1) return;
    }
}

void PtyProgram::typeLine(const std::string& line) {
    const std::string text = line + "\n";
    if (write(mMaster, text.data(), text.size()) < 0) return;
}

int PtyProgram::wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (leftMs(deadline) > 0) {
        int status = 0;
        if (waitpid(mPid, &status, WNOHANG) == mPid) {
            mPid = -1;
            while (readSome(0)) {
            }
            return decode(status);
        }
        // The slave side stays open here, so the master never reads end-of-file
        // and readSome's poll is the wait between two looks at the child.
        readSome(20);
    }
    return -1;
}

termios PtyProgram::settings() const {
    termios t{};
    tcgetattr(mSlave, &t);
    return t;
}

}  // namespace kqtest

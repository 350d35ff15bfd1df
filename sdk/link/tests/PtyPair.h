// A pseudo-terminal pair for serial-line tests: the test plays the board on the
// master side; the port under test opens the slave below /dev.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace linktest {

class PtyPair {
  public:
    PtyPair() {
        mMaster = posix_openpt(O_RDWR | O_NOCTTY);
        if (mMaster < 0 || grantpt(mMaster) != 0 || unlockpt(mMaster) != 0) return;
        const char* name = ptsname(mMaster);
        if (name != nullptr) mSlavePath = name;
        // Holding the slave open keeps the line up between the port's opens.
        mSlaveKeeper = open(mSlavePath.c_str(), O_RDWR | O_NOCTTY);
    }
    ~PtyPair() {
        if (mSlaveKeeper >= 0) close(mSlaveKeeper);
        if (mMaster >= 0) close(mMaster);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return mMaster >= 0 && mSlaveKeeper >= 0; }
    const std::string& slavePath() const { return mSlavePath; }
    // The slave's name relative to /dev, as the serial open functions take it.
    std::string devName() const { return mSlavePath.substr(5); }
    int slaveFd() const { return mSlaveKeeper; }

    void send(const std::vector<unsigned char>& bytes) const {
        ssize_t n = write(mMaster, bytes.data(), bytes.size());
        (void)n;
    }

    // Reads what the port wrote until count bytes arrived or timeoutMs passed.
    std::vector<unsigned char> receive(size_t count, int timeoutMs) const {
        std::vector<unsigned char> got;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{mMaster, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            unsigned char buf[4096];
            const ssize_t n = read(mMaster, buf, std::min(sizeof(buf), count - got.size()));
            if (n > 0) got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

  private:
    int mMaster = -1;
    int mSlaveKeeper = -1;
    std::string mSlavePath;
};

}  // namespace linktest

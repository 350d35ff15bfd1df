// Stand-ins for the console's keys, clock and service log, and the SDK
// object the tests share.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "KeySource.h"
#include "LogSink.h"
#include "SdkChannel.h"
#include "Timing.h"
#include "devsdk.h"

namespace devconsole_test {

class TextKeys : public devconsole::KeySource {
  public:
    explicit TextKeys(std::string keys) : mKeys(std::move(keys)) {}
    int next() override {
        return mAt < mKeys.size() ? static_cast<unsigned char>(mKeys[mAt++]) : kEnd;
    }

  private:
    std::string mKeys;
    size_t mAt = 0;
};

// Time moves only when a test says so, or by the waits asked for.
class FakeTiming : public devconsole::Timing {
  public:
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    int64_t now = 1000000;
    std::vector<int> sleeps;
};

class RecordingLog : public devconsole::LogSink {
  public:
    void write(const std::string& text) override { records.push_back(text); }
    bool has(const std::string& text) const {
        for (const std::string& r : records) {
            if (r == text) return true;
        }
        return false;
    }
    std::vector<std::string> records;
};

// The process's SDK object, made on first use.
inline lib_dev* sharedSdk() {
    static lib_dev* sdk = [] {
        lib_dev* made = nullptr;
        lib_init_sdk(&made);
        return made;
    }();
    return sdk;
}

}  // namespace devconsole_test

// One run of a device script on a Device: statements, the IF block, exchanges
// and the transcript.
#pragma once

#include <string>

#include "link/Device.h"
#include "link/ScriptText.h"

class ScriptRun {
  public:
    ScriptRun(Device& device, short packageNum, char* out, int outSize, int reserved)
        : mDevice(device), mPackage(packageNum), mOut(out), mRoom(outSize), mReserved(reserved) {}

    int run(const char* script);

  private:
    struct Reply {
        int result = 0;
        signed char state = 0;
        std::string hex;  // upper-case hex of the reply data (first 512 bytes)
    };

    // Runs one statement; returns false with mResult set when the run ends.
    bool execute(const devlink::Statement& st, std::string& transcript);
    Reply exchange(int cmdCode, const unsigned char* data, int len);
    bool runCompare(const devlink::Statement& st, std::string& transcript, bool& outcome);
    bool runTest(const devlink::Statement& st, std::string& transcript);
    bool runInclude(const devlink::Statement& st);
    bool runCreateSubDevice(const devlink::Statement& st);
    bool runSubDevice(const devlink::Statement& st);
    // Runs a nested script on target from the current output position.
    bool runNested(Device& target, const std::string& text);
    bool fail(int result) {
        mResult = result;
        return false;
    }

    Device& mDevice;
    short mPackage;
    char* mOut;
    int mRoom;
    int mReserved;
    bool mInBlock = false;
    bool mTake = false;
    int mResult = 0;
};

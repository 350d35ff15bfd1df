// The serial receive state machine: hunts for AA BB, reads the length, then
// the body with its stuffing removed. Reads go through a caller-supplied
// function so the machine runs on a real line, a test double or fuzz input.
#pragma once

#include <functional>
#include <string>

namespace devlink {

constexpr int kSerialLogCapacity = 1024;
constexpr int kSerialReadChunk = 1024;
constexpr int kSerialFrameCapacity = 3499;

// Serial receive results (0 = a frame arrived).
constexpr int kSerialNothing = 2;
constexpr int kSerialLogFull = 3;
constexpr int kSerialNoStx2 = 4;
constexpr int kSerialNoBody = 8;
constexpr int kSerialBadStuffing = 9;

class SerialReceiver {
  public:
    // Reads exactly n bytes into buf within timeout ms: 0, or -1 on failure.
    using ReadFn = std::function<int(unsigned char* buf, int n, int timeout)>;
    // Writes one trace line: message, optional text, bytes.
    using TraceFn =
        std::function<void(const char* msg, const char* text, const unsigned char* data, int len)>;

    SerialReceiver(ReadFn read, TraceFn trace) : mRead(std::move(read)), mTrace(std::move(trace)) {}

    // Receives one frame into out (room for kSerialFrameCapacity bytes).
    int receive(unsigned char* out, int* len, int timeout);

  private:
    void logByte(unsigned char b);

    ReadFn mRead;
    TraceFn mTrace;
    unsigned char mLog[kSerialLogCapacity] = {};
    int mLogCount = 0;
};

}  // namespace devlink

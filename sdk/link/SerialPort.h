// SerialPort: a board on a serial line below /dev.
#pragma once

#include "link/Device.h"

class SerialPort : public Device {
  public:
    SerialPort() = default;
    ~SerialPort() override;

    // Opens /dev/<name> at baud: 0 or -1.
    int Open(char* name, int baud);
    int Close() override;

    // Traces the bytes, then one write: 0 or -1.
    int WriteBuffer(unsigned char* frame, int len) override;
    // 1 when not open; otherwise the receive state machine (0, 2, 3, 4, 8 or 9).
    int ReadBuffer(unsigned char* out, int* len, int timeout) override;

  private:
    int mFd = 0;
};

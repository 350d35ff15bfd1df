// A small WebSocket client for tests: upgrade, masked text frames out,
// server frames in, every wait bounded.
#pragma once

#include <cstdint>
#include <string>

class WsClient {
  public:
    // receiveBuffer > 0 sets the socket's receive buffer before connecting.
    explicit WsClient(uint16_t port, int receiveBuffer = 0);
    ~WsClient();
    WsClient(const WsClient&) = delete;
    WsClient& operator=(const WsClient&) = delete;

    // Whether the upgrade was answered with 101.
    bool Open() const { return mOpen; }
    bool SendText(const std::string& text);
    // The next text frame (pings answered on the way); false on time-out or close.
    bool NextText(std::string& text, int timeoutMs = 10000);
    // Reads and discards until the server closes; false when it has not
    // within timeoutMs.
    bool DrainUntilClosed(int timeoutMs);

  private:
    bool Fill(int timeoutMs);
    bool SendFrame(uint8_t opcode, const std::string& payload);

    int mFd = -1;
    bool mOpen = false;
    std::string mPending;
};

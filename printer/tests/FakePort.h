// A scripted printer behind a UsbPort: records every packet the driver sends,
// reassembles its request frames, and answers from a queue of reply packets.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "UsbPort.h"

namespace ecptest {
using Bytes = std::vector<std::uint8_t>;

// Frame around `payload` with sequence `seq` (DLE STX len payload seq DLE ETX crc).
Bytes frame(const Bytes& payload, unsigned seq);
// One printer packet: 0xD7, then `frame`, zero-filled to 64 bytes (or exactly `size`).
Bytes printerPacket(const Bytes& frame, int size = 64);
Bytes ackPacket();
Bytes nakPacket();
// Reply payload of a standard command: code, word, status, one spare byte, byte 7, data.
Bytes replyPayload(std::uint8_t cmd, const Bytes& data, std::uint8_t status = 0,
                   std::uint32_t word = 0);
// Reply payload of an IAP command: the data start at byte 7.
Bytes iapReplyPayload(const Bytes& data);

struct Request {
    Bytes payload;  // request packet: code, BCD time, data ...
    unsigned seq = 0;
    std::uint8_t code() const { return payload.empty() ? 0 : payload[0]; }
    // Data bytes after the code and time stamp, without the 10 trailing zero bytes.
    Bytes data(bool trailingZeros = true) const;
};

class FakePort : public UsbPort {
  public:
    // Answer to one request: the packets the printer queues for it.
    using Responder = std::function<std::vector<Bytes>(const Request&)>;

    FakePort();
    // Replies with the code echoed, status 0, `data[code]` (zero-filled to 31 bytes)
    // and the request's sequence number.
    void answerAll(std::map<std::uint8_t, Bytes> data = {});
    void setResponder(Responder responder) { mResponder = std::move(responder); }
    void queue(Bytes packet) { mToHost.push_back(std::move(packet)); }

    int Open(libusb_device* device) override;
    int reOpen() override;
    int Close() override;

    std::vector<Request> requests;
    std::vector<Bytes> bulkPackets;  // every bulk OUT packet, 64 bytes each
    std::vector<Bytes> enquiries;    // every interrupt OUT packet
    int writeFailures = 0;           // bulk writes still to fail with "no device"
    int reopenCount = 0;
    int closeCount = 0;
    int openResult = 0;

  protected:
    int bulkOut(unsigned char* packet, int len, unsigned timeoutMs) override;
    int interruptOut(unsigned char endpoint, unsigned char* packet, int len,
                     unsigned timeoutMs) override;
    int bulkIn(unsigned char* packet, int len, int* received, unsigned timeoutMs) override;

  private:
    Responder mResponder;
    Bytes mPending;  // frame bytes of the request being received
    std::deque<Bytes> mToHost;
};
}  // namespace ecptest

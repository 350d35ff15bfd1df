#pragma once
// The printer's side of its USB framing: host packets (0xD1 + 63 frame bytes)
// reassembled into DLE/STX frames, and reply packets (0xD7 + frame) built.
#include <cstdint>
#include <optional>
#include <string>

#include "core/Hex.h"

namespace ksim::printer {

constexpr uint8_t kDle = 0x10, kStx = 0x02, kEtx = 0x03, kEnq = 0x05, kAck = 0x06, kNak = 0x15;
constexpr uint8_t kHostMarker = 0xD1, kPrinterMarker = 0xD7;
constexpr size_t kPacket = 64;
constexpr uint32_t kMaxPayload = 79424;

// CRC-16/XMODEM, bit by bit (independent of the driver's table form).
uint16_t crc16(const uint8_t* data, size_t len);

// DLE STX, length, payload, 24-bit sequence, DLE ETX, CRC.
Bytes buildFrame(const Bytes& payload, uint32_t sequence);
// 0xD7 and the frame, zero-filled to 64 bytes (a frame of up to 63 bytes).
Bytes replyPacket(const Bytes& frame);
Bytes controlPacket(uint8_t control);

struct HostFrame {
    Bytes payload;
    uint32_t sequence = 0;
    Bytes raw;  // the whole frame as received
};

class HostFrameAssembler {
  public:
    struct Result {
        enum class Kind { Incomplete, Frame, Error } kind = Kind::Incomplete;
        HostFrame frame;
        std::string error;
    };
    // One host packet's 63 frame bytes.
    Result feed(const uint8_t* bytes, size_t len);
    bool idle() const { return buffer_.empty(); }
    void reset() { buffer_.clear(); }
    // Payload length announced by the frame being received, once known.
    std::optional<uint32_t> announced() const;
    // The first payload byte (the command code) once it has arrived.
    std::optional<uint8_t> code() const;

  private:
    Bytes buffer_;
};

}  // namespace ksim::printer

#pragma once
// How a board's frames travel over USB: each frame is wrapped in a transport block
// (short form: one byte "frame length + 1"; long form, for frames above 253 bytes:
// 00 and a 16-bit little-endian "frame length + 3") and the block is cut into 64-byte
// reports: byte 0 a marker, byte 1 a count, then up to 62 payload bytes.
//   host to board: count 62 in every report but the last, which says "payload + 1";
//   board to host: count = payload bytes in the report.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Hex.h"

namespace ksim::board {

constexpr size_t kReportSize = 64;
constexpr size_t kReportPayload = 62;

// Reassembles the host's reports into frames, checking the host's rules strictly.
class UsbRequestAssembler {
  public:
    struct Result {
        enum class Kind { Incomplete, Frame, Error } kind = Kind::Incomplete;
        Bytes frame;          // the frame without the block prefix (Frame)
        std::string text;     // what was wrong (Error), or the report counts (Frame)
        std::string warning;  // a tolerated oddity, e.g. padding that is not zero
    };

    Result feed(const Bytes& report);
    void reset();

  private:
    Bytes block_;
    size_t blockLength_ = 0;
    std::string counts_;
};

// The board's reports for one reply frame.
std::vector<Bytes> replyReports(const Bytes& frame);

}  // namespace ksim::board

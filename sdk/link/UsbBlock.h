// USB transport blocks: a frame cut into 64-byte reports on the way out, and
// reports assembled into a de-stuffed frame on the way in.
#pragma once

#include <cstdint>
#include <vector>

namespace devlink {

constexpr int kReportSize = 64;
constexpr int kReportPayload = 62;
constexpr int kShortBlockMaxFrame = 253;  // longer frames take the 3-byte prefix
constexpr int kMaxReplyBlock = 3499;

// The transport block of a frame: its length prefix followed by the frame.
// Empty when the frame is too long for the 16-bit long-form length.
std::vector<unsigned char> buildUsbBlock(const unsigned char* frame, int len);

// Cuts a block into outgoing reports (each kReportSize bytes).
std::vector<std::vector<unsigned char>> cutIntoReports(const std::vector<unsigned char>& block);

// Collects incoming reports until the block announced by its prefix is whole.
class UsbBlockAssembler {
  public:
    enum class Status { NeedMore, Complete, TooLong };

    // Takes one received report of `received` bytes (at most kReportSize used).
    Status add(const unsigned char* report, int received);

    // The de-stuffed frame of a complete block, written to out (room for
    // kMaxReplyBlock bytes); returns its byte count.
    int frame(unsigned char* out) const;

  private:
    unsigned char mBlock[kMaxReplyBlock] = {};
    int mTotal = 0;
};

}  // namespace devlink

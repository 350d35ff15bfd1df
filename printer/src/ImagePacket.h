// The data of the print command: 50 zero bytes, then the 1-bit card image inverted.
#pragma once

namespace ecp {
constexpr int kImageRows = 944;
constexpr int kImageRowBytes = 84;
constexpr int kImageBytes = kImageRows * kImageRowBytes;  // 79296
constexpr int kImageLead = 50;
constexpr int kImagePacketBytes = kImageLead + kImageBytes;  // 79346

// Fills kImagePacketBytes bytes of `packet`; with `reverseRows` the last row goes first.
void prepareImagePacket(const unsigned char* image, bool reverseRows, unsigned char* packet);
}  // namespace ecp

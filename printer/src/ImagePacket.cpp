#include "ImagePacket.h"

#include <cstring>

namespace ecp {
void prepareImagePacket(const unsigned char* image, bool reverseRows, unsigned char* packet) {
    std::memset(packet, 0, kImageLead);
    unsigned char* out = packet + kImageLead;
    for (int row = 0; row < kImageRows; ++row) {
        const int from = reverseRows ? kImageRows - 1 - row : row;
        const unsigned char* src = image + from * kImageRowBytes;
        unsigned char* dst = out + row * kImageRowBytes;
        for (int i = 0; i < kImageRowBytes; ++i) dst[i] = static_cast<unsigned char>(~src[i]);
    }
}
}  // namespace ecp

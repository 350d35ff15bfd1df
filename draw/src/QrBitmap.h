// The picture of a QR symbol as an uncompressed, top-down, 24-bit BMP.
#ifndef CARDPAINT_QRBITMAP_H
#define CARDPAINT_QRBITMAP_H

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace cardpaint {

struct FreeBytes {
    void operator()(unsigned char* bytes) const { std::free(bytes); }
};
using BitmapBytes = std::unique_ptr<unsigned char[], FreeBytes>;

// Pixels per module side.
constexpr int kQrModulePixels = 8;

// Renders width x width modules (a dark module has its lowest bit set), each as an 8 x 8
// block, black on white. Returns null, with size 0, when width is not positive or
// allocate cannot provide the memory.
BitmapBytes renderQrBitmap(const unsigned char* modules, int width, size_t& size,
                           void* (*allocate)(size_t) = std::malloc);

}  // namespace cardpaint

#endif

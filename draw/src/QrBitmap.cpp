#include "QrBitmap.h"

#include <cstdint>
#include <cstring>

namespace cardpaint {
namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;
// Module sides far beyond the largest QR symbol (177) are refused before any arithmetic
// could overflow.
constexpr int kMaxModules = 4096;

void put16(unsigned char* at, uint16_t value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void put32(unsigned char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

}  // namespace

BitmapBytes renderQrBitmap(const unsigned char* modules, int width, size_t& size,
                           void* (*allocate)(size_t)) {
    size = 0;
    if (modules == nullptr || width <= 0 || width > kMaxModules) {
        return nullptr;
    }
    const size_t side = static_cast<size_t>(width) * kQrModulePixels;
    const size_t rowBytes = side * 3;
    const size_t total = kFileHeader + kInfoHeader + rowBytes * side;
    BitmapBytes bmp(static_cast<unsigned char*>(allocate(total)));
    if (!bmp) {
        return nullptr;
    }
    unsigned char* p = bmp.get();
    std::memset(p, 0, kFileHeader + kInfoHeader);
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, static_cast<uint32_t>(total));
    put32(p + 10, kFileHeader + kInfoHeader);
    put32(p + 14, kInfoHeader);
    put32(p + 18, static_cast<uint32_t>(side));
    put32(p + 22, static_cast<uint32_t>(-static_cast<int32_t>(side)));  // top-down rows
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 34, static_cast<uint32_t>(rowBytes * side));

    unsigned char* row = p + kFileHeader + kInfoHeader;
    for (int my = 0; my < width; ++my) {
        // Build the first pixel row of this module row, then repeat it.
        for (int mx = 0; mx < width; ++mx) {
            const unsigned char shade = (modules[my * width + mx] & 1) ? 0x00 : 0xFF;
            std::memset(row + static_cast<size_t>(mx) * kQrModulePixels * 3, shade,
                        kQrModulePixels * 3);
        }
        for (int line = 1; line < kQrModulePixels; ++line) {
            std::memcpy(row + line * rowBytes, row, rowBytes);
        }
        row += rowBytes * kQrModulePixels;
    }
    size = total;
    return bmp;
}

}  // namespace cardpaint

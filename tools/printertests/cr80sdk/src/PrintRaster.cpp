#include "PrintRaster.h"

namespace kqcr80 {

namespace {

uint32_t le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

bool isDark(uint32_t r, uint32_t g, uint32_t b) {
    return r * 299 + g * 587 + b * 114 < 128 * 1000;
}

// Position of a channel's lowest mask bit and the mask's width, for BI_BITFIELDS.
struct Channel {
    int shift = 0;
    uint32_t max = 255;
    uint32_t mask = 0;
    uint32_t value(uint32_t pixel) const {
        if (mask == 0) return 0;
        return ((pixel & mask) >> shift) * 255 / max;
    }
};

Channel channel(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++c.shift;
    }
    c.max = mask;
    return c;
}

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, Picture* picture) {
    if (!data || size < 54 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t pixelsAt = le(data + 10, 4);
    const uint32_t headerSize = le(data + 14, 4);
    if (headerSize < 40 || 14 + static_cast<size_t>(headerSize) > size) return false;
    const int32_t width = static_cast<int32_t>(le(data + 18, 4));
    const int32_t rawHeight = static_cast<int32_t>(le(data + 22, 4));
    const uint32_t bits = le(data + 28, 2);
    const uint32_t compression = le(data + 30, 4);
    uint32_t colours = le(data + 46, 4);
    if (width <= 0 || rawHeight == 0 || width > 20000 || rawHeight > 20000 || rawHeight < -20000)
        return false;
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;
    const bool bitfields = compression == 3 && (bits == 16 || bits == 32);
    if (compression != 0 && !bitfields) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (bits == 16 && !bitfields) return false;

    Channel red = channel(0x00FF0000), green = channel(0x0000FF00), blue = channel(0x000000FF);
    if (bitfields) {
        if (size < 66) return false;
        red = channel(le(data + 54, 4));
        green = channel(le(data + 58, 4));
        blue = channel(le(data + 62, 4));
    }
    std::vector<bool> paletteDark;
    if (bits <= 8) {
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
        const size_t paletteAt = 14 + static_cast<size_t>(headerSize);
        if (paletteAt + colours * 4 > size) return false;
        for (uint32_t i = 0; i < colours; ++i) {
            const uint8_t* c = data + paletteAt + i * 4;
            paletteDark.push_back(isDark(c[2], c[1], c[0]));
        }
    }
    const size_t stride = (static_cast<size_t>(bits) * width + 31) / 32 * 4;
    if (pixelsAt > size || stride * height > size - pixelsAt) return false;

    picture->width = width;
    picture->height = height;
    picture->dark.assign(static_cast<size_t>(width) * height, false);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + pixelsAt + stride * (topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            bool dark = false;
            if (bits <= 8) {
                const size_t bit = static_cast<size_t>(x) * bits;
                const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                dark = index < paletteDark.size() && paletteDark[index];
            } else if (bits == 24) {
                const uint8_t* p = row + x * 3;
                dark = isDark(p[2], p[1], p[0]);
            } else {
                const uint32_t pixel = le(row + x * (bits / 8), static_cast<int>(bits / 8));
                dark = isDark(red.value(pixel), green.value(pixel), blue.value(pixel));
            }
            picture->dark[static_cast<size_t>(y) * width + x] = dark;
        }
    }
    return true;
}

std::vector<uint8_t> toRaster(const Picture& picture) {
    std::vector<uint8_t> raster(kRasterBytes, 0);
    if (picture.width <= 0 || picture.height <= 0) return raster;
    for (int r = 0; r < kRasterRows; ++r) {
        const long x = (2L * r + 1) * picture.width / (2L * kRasterRows);
        for (int d = 0; d < kRasterDots; ++d) {
            const long y = (2L * d + 1) * picture.height / (2L * kRasterDots);
            if (picture.dark[static_cast<size_t>(y * picture.width + x)])
                raster[static_cast<size_t>(r) * kRasterRowBytes + d / 8] |=
                    static_cast<uint8_t>(0x80 >> (d % 8));
        }
    }
    return raster;
}

}  // namespace kqcr80

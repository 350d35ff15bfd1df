#include "Bilevel.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace cardpaint {
namespace {

using MagickCore::Quantum;
constexpr double kFull = QuantumRange;

// Classic 8 x 8 Bayer threshold order.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

// sRGB component value to linear light, 0 to 1. A dot pattern's average brightness is
// linear light, so the dither compares linear values to reproduce the picture's tones.
const std::vector<float>& linearLight() {
    static const std::vector<float> table = [] {
        std::vector<float> values(static_cast<size_t>(QuantumRange) + 1);
        for (size_t i = 0; i < values.size(); ++i) {
            const double v = i / kFull;
            values[i] =
                static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return values;
    }();
    return table;
}

void put16(std::vector<unsigned char>& out, size_t at, uint32_t value) {
    out[at] = static_cast<unsigned char>(value);
    out[at + 1] = static_cast<unsigned char>(value >> 8);
}

void put32(std::vector<unsigned char>& out, size_t at, uint32_t value) {
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

}  // namespace

Bilevel::Bilevel(size_t width, size_t height)
    : width_(width),
      height_(height),
      rowBytes_((width + 31) / 32 * 4),
      bits_(rowBytes_ * height, 0) {}

Bilevel Bilevel::dither(const Magick::Image& picture) {
    Bilevel out(picture.columns(), picture.rows());
    if (out.width_ == 0 || out.height_ == 0) {
        return out;
    }
    const std::vector<float>& linear = linearLight();
    const Magick::PixelPacket* pixels = picture.getConstPixels(0, 0, out.width_, out.height_);
    const bool alpha = picture.matte();
    // Thresholds (level + 0.5) / 64, so that black and full white never change.
    float thresholds[8][8];
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            thresholds[j][i] = static_cast<float>((kBayer[j][i] + 0.5) / 64.0);
        }
    }
    for (size_t y = 0; y < out.height_; ++y) {
        uint8_t* row = &out.bits_[y * out.rowBytes_];
        const float* levels = thresholds[y & 7];
        for (size_t x = 0; x < out.width_; ++x) {
            const Magick::PixelPacket& p = pixels[y * out.width_ + x];
            float light =
                0.2126f * linear[p.red] + 0.7152f * linear[p.green] + 0.0722f * linear[p.blue];
            if (alpha) {
                // Opacity counts up from opaque (0); blend over white.
                const float clear = static_cast<float>(p.opacity / kFull);
                light = light * (1.0f - clear) + clear;
            }
            if (light >= levels[x & 7]) {
                row[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
            }
        }
    }
    return out;
}

bool Bilevel::white(size_t x, size_t y) const {
    return (bits_[y * rowBytes_ + (x >> 3)] >> (7 - (x & 7))) & 1;
}

void Bilevel::negate() {
    const size_t full = width_ / 8;
    const unsigned tail = width_ % 8;
    const uint8_t tailMask = static_cast<uint8_t>(0xFF00u >> tail);
    for (size_t y = 0; y < height_; ++y) {
        uint8_t* row = &bits_[y * rowBytes_];
        for (size_t i = 0; i < full; ++i) {
            row[i] = static_cast<uint8_t>(~row[i]);
        }
        if (tail != 0) {
            row[full] = static_cast<uint8_t>(row[full] ^ tailMask);
        }
    }
}

std::vector<unsigned char> Bilevel::bmp(double dotsPerInch) const {
    constexpr size_t kHeaders = 14 + 40;
    constexpr size_t kPalette = 8;
    const size_t pixelBytes = rowBytes_ * height_;
    std::vector<unsigned char> out(kHeaders + kPalette + pixelBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<uint32_t>(out.size()));
    put32(out, 10, kHeaders + kPalette);
    put32(out, 14, 40);
    put32(out, 18, static_cast<uint32_t>(width_));
    put32(out, 22, static_cast<uint32_t>(height_));
    put16(out, 26, 1);
    put16(out, 28, 1);
    put32(out, 34, static_cast<uint32_t>(pixelBytes));
    const auto perMetre = static_cast<uint32_t>(std::lround(dotsPerInch / 0.0254));
    put32(out, 38, perMetre);
    put32(out, 42, perMetre);
    put32(out, 46, 2);
    put32(out, 50, 2);
    // Palette: index 0 black, index 1 white (blue, green, red, reserved).
    out[kHeaders + 4] = out[kHeaders + 5] = out[kHeaders + 6] = 0xFF;
    unsigned char* rows = out.data() + kHeaders + kPalette;
    for (size_t y = 0; y < height_; ++y) {
        const uint8_t* source = &bits_[(height_ - 1 - y) * rowBytes_];
        std::copy(source, source + rowBytes_, rows + y * rowBytes_);
    }
    return out;
}

std::vector<unsigned char> Bilevel::pbm() const {
    const std::string header =
        "P4\n" + std::to_string(width_) + " " + std::to_string(height_) + "\n";
    const size_t packed = (width_ + 7) / 8;
    std::vector<unsigned char> out(header.begin(), header.end());
    out.reserve(header.size() + packed * height_);
    const unsigned tail = width_ % 8;
    const uint8_t tailMask = tail == 0 ? 0xFF : static_cast<uint8_t>(0xFF00u >> tail);
    for (size_t y = 0; y < height_; ++y) {
        const uint8_t* row = &bits_[y * rowBytes_];
        for (size_t i = 0; i < packed; ++i) {
            const uint8_t mask = i + 1 == packed ? tailMask : 0xFF;
            out.push_back(static_cast<unsigned char>(~row[i] & mask));
        }
    }
    return out;
}

Magick::Image Bilevel::picture() const {
    Magick::Image image(Magick::Geometry(width_, height_), Magick::Color("white"));
    image.modifyImage();
    Magick::PixelPacket* pixels = image.getPixels(0, 0, width_, height_);
    for (size_t y = 0; y < height_; ++y) {
        for (size_t x = 0; x < width_; ++x) {
            if (!white(x, y)) {
                Magick::PixelPacket& p = pixels[y * width_ + x];
                p.red = p.green = p.blue = 0;
            }
        }
    }
    image.syncPixels();
    image.colorSpace(Magick::GRAYColorspace);
    return image;
}

}  // namespace cardpaint

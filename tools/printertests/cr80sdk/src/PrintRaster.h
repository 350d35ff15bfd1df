#pragma once
// Turns the print data (a BMP picture of the canvas) into the printer's raster: 944
// rows along the card's long side, 672 dots along its short side, 1 = dot printed.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kqcr80 {

constexpr int kRasterRows = 944;
constexpr int kRasterDots = 672;
constexpr int kRasterRowBytes = kRasterDots / 8;
constexpr int kRasterBytes = kRasterRows * kRasterRowBytes;

// A decoded picture: one flag per pixel, rows from the top, true = dark.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<bool> dark;
};

// Uncompressed BMP of 1, 4, 8, 24 or 32 bits per pixel; false for anything else or
// for data shorter than the picture they describe.
bool decodeBmp(const uint8_t* data, size_t size, Picture* picture);

// The picture stretched onto the print area, sampled at pixel centres: raster row r
// shows picture column (2r + 1) * width / 1888, dot d picture row (2d + 1) * height /
// 1344. For the 1016 x 648 canvas no centre falls on a pixel border, so a picture
// turned by 180 degrees gives exactly the turned raster.
std::vector<uint8_t> toRaster(const Picture& picture);

}  // namespace kqcr80

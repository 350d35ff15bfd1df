#include <cstring>

#include "kqCR80Printer.h"

extern "C" int WB2Bin(const char* pixels, int, int width, int height, char* out, int* outLength) {
    if (width <= 0 || height <= 0 || !pixels || !out) {
        if (outLength) *outLength = 0;
        return 0;
    }
    // Bytes for `width` bits, rounded up to a multiple of four.
    const int rowBytes = ((width + 7) / 8 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        unsigned char* row =
            reinterpret_cast<unsigned char*>(out) + static_cast<long>(y) * rowBytes;
        std::memset(row, 0, static_cast<size_t>(rowBytes));
        const char* src = pixels + static_cast<long>(y) * width;
        for (int x = 0; x < width; ++x) {
            if (src[x]) row[x / 8] = static_cast<unsigned char>(row[x / 8] | (0x80 >> (x % 8)));
        }
    }
    if (outLength) *outLength = rowBytes * height;
    return 0;
}

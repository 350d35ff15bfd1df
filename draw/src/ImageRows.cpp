// Raw rows of a picture: packed bits or one byte per pixel.
#include <Magick++.h>

#include "ExceptionBoundary.h"
#include "cardpaint_image.h"

namespace {

size_t packedRowLength(size_t width) {
    return (width + 7) / 8;
}

}  // namespace

extern "C" {

int PicToBins(Magick::Image& picture, char* out, int* outLength) {
    return cardpaint::guarded(__func__, [&] {
        const size_t rowLength = (packedRowLength(picture.columns()) + 3) / 4 * 4;
        const int result = mat_to_binary(picture, static_cast<int>(rowLength), out);
        if (result == CARDPAINT_OK && outLength != nullptr) {
            *outLength = static_cast<int>(rowLength * picture.rows());
        }
        return result;
    });
}

int mat_to_binary(Magick::Image picture, int rowLength, char* out) {
    return cardpaint::guarded(__func__, [&] {
        const size_t width = picture.columns();
        const size_t height = picture.rows();
        // A shorter row would make the last row run past rowLength x height bytes.
        if (rowLength < 0 || static_cast<size_t>(rowLength) < packedRowLength(width) ||
            out == nullptr) {
            return CARDPAINT_FAILED;
        }
        picture.depth(8);
        const Magick::PixelPacket* pixels = picture.getConstPixels(0, 0, width, height);
        for (size_t y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<unsigned char*>(out) + y * rowLength;
            for (size_t x = 0; x < width; ++x) {
                const unsigned char bit = static_cast<unsigned char>(0x80u >> (x % 8));
                if (pixels[y * width + x].red > 0) {
                    row[x / 8] |= bit;
                } else {
                    row[x / 8] &= static_cast<unsigned char>(~bit);
                }
            }
        }
        return CARDPAINT_OK;
    });
}

int RGB2WB(Magick::Image& picture, char* out, int* outLength) {
    return cardpaint::guarded(__func__, [&] {
        if (out == nullptr) {
            return CARDPAINT_FAILED;
        }
        const size_t width = picture.columns();
        const size_t height = picture.rows();
        const Magick::PixelPacket* pixels = picture.getConstPixels(0, 0, width, height);
        for (size_t i = 0; i < width * height; ++i) {
            out[i] = static_cast<char>(pixels[i].red > 0 ? 0xFF : 0x00);
        }
        if (outLength != nullptr) {
            *outLength = static_cast<int>(width * height);
        }
        return CARDPAINT_OK;
    });
}

}  // extern "C"

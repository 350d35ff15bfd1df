// A 1-bit picture made from an imaging-library picture with an ordered dither, and its
// BMP and PBM encodings.
#ifndef CARDPAINT_BILEVEL_H
#define CARDPAINT_BILEVEL_H

#include <Magick++.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cardpaint {

class Bilevel {
  public:
    // An 8 x 8 ordered dither of the picture's luminance in linear light: pure black and
    // pure white stay as they are, grey levels and photographs become dot patterns whose
    // share of white dots is the tone's light. Transparent parts count as white.
    static Bilevel dither(const Magick::Image& picture);

    size_t width() const { return width_; }
    size_t height() const { return height_; }
    // Bytes per row: the pixels' bytes rounded up to a multiple of 4.
    size_t rowBytes() const { return rowBytes_; }
    bool white(size_t x, size_t y) const;

    // Swaps black and white.
    void negate();

    // A BMP file: 40-byte information header, black and white palette, rows bottom-up.
    std::vector<unsigned char> bmp(double dotsPerInch) const;
    // A binary PBM file (P4), 1 meaning black.
    std::vector<unsigned char> pbm() const;
    // The same pixels as a grey imaging-library picture, for other file formats.
    Magick::Image picture() const;

  private:
    Bilevel(size_t width, size_t height);

    size_t width_;
    size_t height_;
    size_t rowBytes_;
    // Rows from the top, most significant bit first, 1 meaning white; unused bits are 0.
    std::vector<uint8_t> bits_;
};

}  // namespace cardpaint

#endif

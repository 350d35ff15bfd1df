// Shared helpers of the cardpaint tests: scratch folders, pictures and BMP fields.
#ifndef CARDPAINT_TESTSUPPORT_H
#define CARDPAINT_TESTSUPPORT_H

#include <Magick++.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cardpaint.h"

namespace cardpaint_test {

// A folder under $TMPDIR, removed with its files at destruction.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Owns a canvas for one test.
class Canvas {
  public:
    Canvas(int colorOutput, int monochrome, double width, double height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    DrawContext* get() const { return canvas_; }
    int prepared() const { return result_; }

  private:
    DrawContext* canvas_ = nullptr;
    int result_;
};

// The BMP of DrawCommitCanvas, sized in two calls as a host does.
std::vector<unsigned char> commit(DrawContext* canvas);
// A picture decoded from encoded bytes (BMP, PBM ...).
Magick::Image decode(const std::vector<unsigned char>& bytes);
std::vector<unsigned char> readFile(const std::string& path);

uint32_t le32(const std::vector<unsigned char>& bytes, size_t at);
uint16_t le16(const std::vector<unsigned char>& bytes, size_t at);
int32_t bmpWidth(const std::vector<unsigned char>& bmp);
int32_t bmpHeight(const std::vector<unsigned char>& bmp);
int bmpBitsPerPixel(const std::vector<unsigned char>& bmp);

// A pixel's colour, read through pixel access.
Magick::ColorRGB colorAt(const Magick::Image& picture, size_t x, size_t y);
// Dark means luma below half the range.
bool dark(const Magick::Image& picture, size_t x, size_t y);

struct Box {
    long left, top, right, bottom;  // inclusive; empty when right < left
};
// The smallest box around every dark pixel.
Box darkBox(const Magick::Image& picture);

// A solid picture file of the given size and colour.
std::string writeSolid(const ScratchDir& dir, const std::string& name, size_t width, size_t height,
                       const std::string& color);

bool fontAvailable();

}  // namespace cardpaint_test

#endif

// Raw rows of a picture: packed bits and one byte per pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "cardpaint_image.h"

namespace cardpaint_test {
namespace {

// White picture with black pixels at the given places.
Magick::Image pictureWithBlack(size_t width, size_t height,
                               const std::vector<std::pair<size_t, size_t>>& black) {
    Magick::Image picture(Magick::Geometry(width, height), Magick::Color("white"));
    for (const auto& [x, y] : black) {
        picture.pixelColor(x, y, Magick::Color("black"));
    }
    return picture;
}

struct RowCase {
    size_t width, height;
    int rowLength;
};

class PicToBinsRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(PicToBinsRows, RowsArePaddedToFourBytes) {
    const RowCase& c = GetParam();
    Magick::Image picture = pictureWithBlack(c.width, c.height, {{0, 0}, {c.width - 1, 1}});
    std::vector<char> out(static_cast<size_t>(c.rowLength) * c.height + 8, 0x55);
    int length = 0;
    ASSERT_EQ(PicToBins(picture, out.data(), &length), 0);
    EXPECT_EQ(length, c.rowLength * static_cast<int>(c.height));
    const auto byte = [&](size_t row, size_t index) {
        return static_cast<unsigned char>(out[row * c.rowLength + index]);
    };
    // Row 0: the first pixel black (bit 7 of byte 0 clear), the next white.
    EXPECT_EQ(byte(0, 0) & 0xC0, 0x40);
    // Row 1: the last pixel black, the one before white.
    const size_t last = c.width - 1;
    EXPECT_EQ((byte(1, last / 8) >> (7 - last % 8)) & 1, 0);
    EXPECT_EQ((byte(1, (last - 1) / 8) >> (7 - (last - 1) % 8)) & 1, 1);
    // Padding bytes after the pixels keep what the buffer held.
    const size_t used = (c.width + 7) / 8;
    for (size_t i = used; i < static_cast<size_t>(c.rowLength); ++i) {
        EXPECT_EQ(byte(0, i), 0x55);
    }
    EXPECT_EQ(static_cast<unsigned char>(out[length]), 0x55) << "nothing written past the rows";
}

INSTANTIATE_TEST_SUITE_P(Widths, PicToBinsRows,
                         ::testing::Values(RowCase{12, 2, 4}, RowCase{33, 3, 8}, RowCase{32, 2, 4},
                                           RowCase{8, 2, 4}),
                         [](const auto& info) {
                             return "Width" + std::to_string(info.param.width);
                         });

TEST(MatToBinary, RowLengthShorterThanThePixelsIsRefused) {
    const Magick::Image picture = pictureWithBlack(33, 2, {});
    std::vector<char> out(16, 0);
    EXPECT_EQ(mat_to_binary(picture, 4, out.data()), -1);
    EXPECT_EQ(mat_to_binary(picture, 5, out.data()), 0);
    EXPECT_EQ(std::vector<char>(out.begin() + 10, out.end()), std::vector<char>(6, 0));
}

TEST(RGB2WB, OneBytePerPixelFromTheRedComponent) {
    Magick::Image picture = pictureWithBlack(3, 2, {{1, 0}});
    picture.pixelColor(2, 1, Magick::Color("red"));
    picture.pixelColor(0, 1, Magick::Color("blue"));
    std::vector<char> out(6, 0x11);
    int length = 0;
    ASSERT_EQ(RGB2WB(picture, out.data(), &length), 0);
    EXPECT_EQ(length, 6);
    const std::vector<unsigned char> expected = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(std::vector<unsigned char>(out.begin(), out.end()), expected);
}

}  // namespace
}  // namespace cardpaint_test

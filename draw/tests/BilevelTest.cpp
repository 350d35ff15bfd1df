// The ordered dither and the 1-bit encoders.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Bilevel.h"
#include "TestSupport.h"

namespace cardpaint_test {
namespace {

Magick::Image solid(size_t width, size_t height, const std::string& color) {
    return Magick::Image(Magick::Geometry(width, height), Magick::Color(color));
}

size_t whiteCount(const cardpaint::Bilevel& bits) {
    size_t count = 0;
    for (size_t y = 0; y < bits.height(); ++y) {
        for (size_t x = 0; x < bits.width(); ++x) {
            count += bits.white(x, y);
        }
    }
    return count;
}

// The share of light an sRGB grey level gives.
double linear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

TEST(Bilevel, BlackAndWhiteStayExactGreyBecomesDotsOfItsLight) {
    struct Case {
        const char* color;
        double whiteShare;
    };
    for (const Case& c : {Case{"white", 1.0}, Case{"black", 0.0}, Case{"gray50", linear(0.5)},
                          Case{"gray25", linear(0.25)}, Case{"gray75", linear(0.75)},
                          Case{"rgb(0,255,0)", 0.7152}}) {
        const cardpaint::Bilevel bits = cardpaint::Bilevel::dither(solid(64, 16, c.color));
        EXPECT_NEAR(static_cast<double>(whiteCount(bits)) / (64 * 16), c.whiteShare, 1.0 / 64)
            << c.color;
    }
}

TEST(Bilevel, GreyPatternHasNoLargeBlocks) {
    // A threshold would make a grey area all black or all white; at half the light the
    // dither alternates.
    const cardpaint::Bilevel bits = cardpaint::Bilevel::dither(solid(16, 16, "rgb(188,188,188)"));
    for (size_t y = 0; y < 16; ++y) {
        for (size_t x = 0; x + 1 < 16; ++x) {
            EXPECT_NE(bits.white(x, y), bits.white(x + 1, y)) << x << "," << y;
        }
    }
}

TEST(Bilevel, TransparentCountsAsWhite) {
    Magick::Image picture = solid(8, 8, "black");
    picture.matte(true);
    picture.pixelColor(3, 3, Magick::Color("transparent"));
    const cardpaint::Bilevel bits = cardpaint::Bilevel::dither(picture);
    EXPECT_EQ(whiteCount(bits), 1u);
    EXPECT_TRUE(bits.white(3, 3));
}

TEST(Bilevel, NegateSwapsOnlyPixelBits) {
    Magick::Image picture = solid(10, 2, "white");
    picture.pixelColor(0, 0, Magick::Color("black"));
    cardpaint::Bilevel bits = cardpaint::Bilevel::dither(picture);
    bits.negate();
    EXPECT_EQ(whiteCount(bits), 1u);
    EXPECT_TRUE(bits.white(0, 0));
    // The bits after the tenth pixel stay clear in the encoded rows.
    const std::vector<unsigned char> bmp = bits.bmp(300);
    EXPECT_EQ(bmp[62 + 4 + 1] & 0x3F, 0);
}

TEST(Bilevel, BmpRowsRunBottomUpWithPadding) {
    Magick::Image picture = solid(9, 3, "white");
    picture.pixelColor(0, 0, Magick::Color("black"));
    const std::vector<unsigned char> bmp = cardpaint::Bilevel::dither(picture).bmp(300);
    ASSERT_EQ(bmp.size(), 62u + 4u * 3u);
    EXPECT_EQ(le32(bmp, 38), 11811u) << "300 dots per inch";
    // The top row, holding the black pixel, is the last one in the file.
    EXPECT_EQ(bmp[62 + 8], 0x7F);
    EXPECT_EQ(bmp[62 + 8 + 1], 0x80);
    EXPECT_EQ(bmp[62], 0xFF);
    EXPECT_EQ(bmp[62 + 2], 0x00) << "padding";
}

TEST(Bilevel, PbmMarksBlackWithOnes) {
    Magick::Image picture = solid(9, 2, "white");
    picture.pixelColor(8, 1, Magick::Color("black"));
    const std::vector<unsigned char> pbm = cardpaint::Bilevel::dither(picture).pbm();
    const std::string header = "P4\n9 2\n";
    ASSERT_EQ(pbm.size(), header.size() + 4);
    EXPECT_EQ(std::string(pbm.begin(), pbm.begin() + header.size()), header);
    const std::vector<unsigned char> rows(pbm.begin() + header.size(), pbm.end());
    EXPECT_EQ(rows, (std::vector<unsigned char>{0x00, 0x00, 0x00, 0x80}));
}

}  // namespace
}  // namespace cardpaint_test

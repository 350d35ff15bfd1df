// The finished picture: sizing, 1-bit form, inversion, mirroring, rotation, grey and
// colour, and preview files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

#include "TestSupport.h"
#include "cardpaint.h"

namespace cardpaint_test {
namespace {

// A 100 x 50 canvas with a black 20 x 10 block at (10, 5): every mirror and turn moves it.
class MarkedCanvas {
  public:
    MarkedCanvas(int colorOutput, int monochrome) : canvas_(colorOutput, monochrome, 100, 50) {
        const std::string path = writeSolid(dir_, "block.png", 20, 10, "black");
        EXPECT_EQ(DrawDrawImage(canvas_.get(), path.c_str(), 10, 5, 20, 10), CARDPAINT_OK);
    }
    DrawContext* get() const { return canvas_.get(); }
    const ScratchDir& dir() const { return dir_; }

  private:
    ScratchDir dir_;
    Canvas canvas_;
};

TEST(Commit, SizingCallThenFillingCall) {
    Canvas canvas(0, 1, 100, 50);
    int length = 0;
    ASSERT_EQ(DrawCommitCanvas(canvas.get(), nullptr, &length), CARDPAINT_NO_ROOM);
    // 1 bit per pixel: 100 pixels take 13 bytes, padded to 16; 50 rows; headers and palette.
    EXPECT_EQ(length, 14 + 40 + 8 + 16 * 50);
    std::vector<unsigned char> out(static_cast<size_t>(length));
    int shorter = length - 1;
    EXPECT_EQ(DrawCommitCanvas(canvas.get(), out.data(), &shorter), CARDPAINT_NO_ROOM);
    EXPECT_EQ(shorter, length);
    EXPECT_EQ(out, std::vector<unsigned char>(out.size(), 0)) << "nothing copied when short";
    int exact = length;
    EXPECT_EQ(DrawCommitCanvas(canvas.get(), out.data(), &exact), CARDPAINT_OK);
    EXPECT_EQ(exact, length);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(DrawCommitCanvas(canvas.get(), out.data(), nullptr), CARDPAINT_FAILED);
}

TEST(Commit, MonochromeIsOneBitWithABlackAndWhitePalette) {
    MarkedCanvas canvas(0, 1);
    const std::vector<unsigned char> bmp = commit(canvas.get());
    EXPECT_EQ(bmpBitsPerPixel(bmp), 1);
    EXPECT_EQ(bmpWidth(bmp), 100);
    EXPECT_EQ(bmpHeight(bmp), 50);
    EXPECT_EQ(le32(bmp, 10), 62u);
    EXPECT_EQ(le32(bmp, 54), 0x000000u);
    EXPECT_EQ(le32(bmp, 58), 0xFFFFFFu);
    const Box box = darkBox(decode(bmp));
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 5);
    EXPECT_EQ(box.right, 29);
    EXPECT_EQ(box.bottom, 14);
}

struct TransformCase {
    const char* name;
    int degrees, flip, negate;
    long width, height;
    Box block;  // where the black block ends up (before any inversion)
};

class Transform : public ::testing::TestWithParam<TransformCase> {};

TEST_P(Transform, MovesTheBlockAndKeepsOneBit) {
    const TransformCase& c = GetParam();
    MarkedCanvas canvas(0, 1);
    ASSERT_EQ(DrawSetPreviewImg(canvas.get(), 0, c.degrees, c.flip, c.negate, 1.0f), CARDPAINT_OK);
    const std::vector<unsigned char> bmp = commit(canvas.get());
    EXPECT_EQ(bmpBitsPerPixel(bmp), 1);
    const Magick::Image picture = decode(bmp);
    ASSERT_EQ(static_cast<long>(picture.columns()), c.width);
    ASSERT_EQ(static_cast<long>(picture.rows()), c.height);
    for (long y = 0; y < c.height; ++y) {
        for (long x = 0; x < c.width; ++x) {
            const bool inBlock =
                x >= c.block.left && x <= c.block.right && y >= c.block.top && y <= c.block.bottom;
            ASSERT_EQ(dark(picture, x, y), inBlock != (c.negate != 0)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Transform,
    ::testing::Values(TransformCase{"Plain", 0, 0, 0, 100, 50, {10, 5, 29, 14}},
                      TransformCase{"Negate", 0, 0, 1, 100, 50, {10, 5, 29, 14}},
                      TransformCase{"Flip", 0, 1, 0, 100, 50, {10, 35, 29, 44}},
                      TransformCase{"Rotate90", 90, 0, 0, 50, 100, {35, 10, 44, 29}},
                      TransformCase{"Rotate180", 180, 0, 0, 100, 50, {70, 35, 89, 44}},
                      TransformCase{"FlipThenRotate90", 90, 1, 1, 50, 100, {5, 10, 14, 29}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Commit, CutsTheOutputRectangle) {
    MarkedCanvas canvas(0, 1);
    ASSERT_EQ(DrawSetCommitCanvasRect(canvas.get(), 5.9, 2.5, 40, 20), CARDPAINT_OK);
    const std::vector<unsigned char> bmp = commit(canvas.get());
    EXPECT_EQ(bmpWidth(bmp), 40);
    EXPECT_EQ(bmpHeight(bmp), 20);
    const Box box = darkBox(decode(bmp));
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.top, 3);
    EXPECT_EQ(box.right, 24);
    EXPECT_EQ(box.bottom, 12);
}

TEST(Commit, RectangleOutsideTheCanvasIsReported) {
    Canvas canvas(0, 1, 100, 50);
    DrawSetCommitCanvasRect(canvas.get(), 500, 500, 10, 10);
    int length = 0;
    EXPECT_EQ(DrawCommitCanvas(canvas.get(), nullptr, &length), CARDPAINT_IMAGE_ERROR);
}

TEST(Commit, BarCodeSetterSetsTheOutputRotation) {
    Canvas canvas(0, 1, 100, 50);
    ASSERT_EQ(DrawSetBarCodePara(canvas.get(), 1, 2, 90), CARDPAINT_OK);
    const std::vector<unsigned char> bmp = commit(canvas.get());
    EXPECT_EQ(bmpWidth(bmp), 50);
    EXPECT_EQ(bmpHeight(bmp), 100);
}

TEST(Commit, GreyAndColourCanvases) {
    ScratchDir dir;
    const std::string red = writeSolid(dir, "red.png", 20, 20, "red");
    for (const int colorOutput : {0, 1}) {
        SCOPED_TRACE(colorOutput);
        Canvas canvas(colorOutput, 0, 60, 40);
        ASSERT_EQ(DrawDrawImage(canvas.get(), red.c_str(), 0, 0, 20, 20), CARDPAINT_OK);
        const std::vector<unsigned char> bmp = commit(canvas.get());
        EXPECT_GT(bmpBitsPerPixel(bmp), 1);
        const Magick::ColorRGB pixel = colorAt(decode(bmp), 10, 10);
        if (colorOutput) {
            EXPECT_GT(pixel.red(), 0.9);
            EXPECT_LT(pixel.green(), 0.1);
        } else {
            EXPECT_NEAR(pixel.red(), pixel.green(), 0.01);
            EXPECT_NEAR(pixel.green(), pixel.blue(), 0.01);
            EXPECT_GT(pixel.red(), 0.1);
            EXPECT_LT(pixel.red(), 0.9);
        }
    }
}

TEST(Commit, LeavesTheCanvasUnchanged) {
    MarkedCanvas canvas(0, 1);
    const std::vector<unsigned char> first = commit(canvas.get());
    DrawSetPreviewImg(canvas.get(), 0, 90, 1, 1, 1.0f);
    commit(canvas.get());
    DrawSetPreviewImg(canvas.get(), 0, 0, 0, 0, 1.0f);
    EXPECT_EQ(commit(canvas.get()), first);
}

// "<hex>_base64_<8 digits>_<6 digits>.BMP"
bool generatedName(const std::string& name) {
    const size_t mark = name.find("_base64_");
    if (mark == std::string::npos || mark == 0 || mark > 8 ||
        name.size() != mark + 8 + 8 + 1 + 6 + 4) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const bool ok = i < mark         ? (std::isdigit(c) || (c >= 'A' && c <= 'F'))
                        : i < mark + 8   ? true
                        : i == mark + 16 ? c == '_'
                        : i < mark + 23  ? std::isdigit(c) != 0
                                         : true;
        if (!ok) {
            return false;
        }
    }
    return name.compare(name.size() - 4, 4, ".BMP") == 0;
}

TEST(Preview, GeneratedNameInTheWorkingDirectory) {
    ScratchDir dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    MarkedCanvas canvas(0, 1);
    char path[64] = "";
    const int result = DrawGetPreviewImg(canvas.get(), 0, 0, path);
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_EQ(result, CARDPAINT_OK);
    EXPECT_TRUE(generatedName(path)) << path;
    const std::vector<unsigned char> bmp = readFile(dir.file(path));
    ASSERT_GT(bmp.size(), 62u);
    EXPECT_EQ(bmpBitsPerPixel(bmp), 1);
}

TEST(Preview, MonochromeFormatsFollowTheName) {
    MarkedCanvas canvas(0, 1);
    DrawSetPreviewImg(canvas.get(), 0, 90, 0, 0, 1.0f);
    struct Case {
        const char* name;
        const char* magic;
    };
    for (const Case& c : {Case{"card.pbm", "P4"}, Case{"card.PBM", "P4"}, Case{"card.bmp", "BM"},
                          Case{"card.png", "\x89PNG"}, Case{"card.unknown", "BM"}}) {
        SCOPED_TRACE(c.name);
        std::string path = canvas.dir().file(c.name);
        std::vector<char> buffer(path.begin(), path.end());
        buffer.push_back('\0');
        ASSERT_EQ(DrawGetPreviewImg(canvas.get(), 0, 0, buffer.data()), CARDPAINT_OK);
        EXPECT_STREQ(buffer.data(), path.c_str());
        const std::vector<unsigned char> bytes = readFile(path);
        ASSERT_GE(bytes.size(), std::strlen(c.magic));
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + std::strlen(c.magic)), c.magic);
        const Magick::Image picture = decode(bytes);
        EXPECT_EQ(picture.columns(), 50u);
        EXPECT_EQ(picture.rows(), 100u);
        const Box box = darkBox(picture);
        EXPECT_EQ(box.left, 35);
        EXPECT_EQ(box.top, 10);
    }
}

TEST(Preview, MirrorComesBeforeTheCut) {
    MarkedCanvas canvas(0, 1);
    DrawSetPreviewImg(canvas.get(), 0, 0, 1, 0, 1.0f);
    DrawSetCommitCanvasRect(canvas.get(), 0, 25, 100, 25);
    std::string path = canvas.dir().file("half.bmp");
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ASSERT_EQ(DrawGetPreviewImg(canvas.get(), 0, 0, buffer.data()), CARDPAINT_OK);
    // Mirrored, the block sits at rows 35..44; the lower half keeps it at rows 10..19.
    const Box box = darkBox(decode(readFile(path)));
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.bottom, 19);
}

TEST(Preview, GreyCanvasWritesAGreyPicture) {
    MarkedCanvas canvas(0, 0);
    std::string path = canvas.dir().file("grey.bmp");
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ASSERT_EQ(DrawGetPreviewImg(canvas.get(), 0, 0, buffer.data()), CARDPAINT_OK);
    const Magick::Image picture = decode(readFile(path));
    EXPECT_EQ(picture.columns(), 100u);
    EXPECT_TRUE(dark(picture, 15, 8));
}

TEST(Preview, UnwritablePathIsReportedNotThrown) {
    for (const int monochrome : {0, 1}) {
        Canvas canvas(1, monochrome, 40, 40);
        for (const char* name : {"/nonexistent-dir/x.bmp", "/nonexistent-dir/x.png"}) {
            char path[64];
            std::strcpy(path, name);
            EXPECT_EQ(DrawGetPreviewImg(canvas.get(), 0, 0, path), CARDPAINT_IMAGE_ERROR)
                << name << " monochrome " << monochrome;
        }
    }
}

}  // namespace
}  // namespace cardpaint_test

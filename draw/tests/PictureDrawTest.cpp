// Pictures and QR codes fitted into their boxes and placed at their corners.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"
#include "cardpaint.h"

namespace cardpaint_test {
namespace {

struct FitCase {
    size_t width, height;  // the picture
    double x, y, w, h;     // the box
    long outWidth, outHeight;
};

class PictureFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureFit, KeepsTheAspectRatioAtTheBoxCorner) {
    const FitCase& c = GetParam();
    ScratchDir dir;
    const std::string path = writeSolid(dir, "p.png", c.width, c.height, "black");
    Canvas canvas(1, 0, 200, 150);
    ASSERT_EQ(DrawDrawImage(canvas.get(), path.c_str(), c.x, c.y, c.w, c.h), CARDPAINT_OK);
    const Box box = darkBox(decode(commit(canvas.get())));
    EXPECT_EQ(box.left, static_cast<long>(c.x));
    EXPECT_EQ(box.top, static_cast<long>(c.y));
    EXPECT_EQ(box.right - box.left + 1, c.outWidth);
    EXPECT_EQ(box.bottom - box.top + 1, c.outHeight);
}

INSTANTIATE_TEST_SUITE_P(Cases, PictureFit,
                         ::testing::Values(FitCase{100, 50, 30, 20, 40, 40, 40, 20},
                                           FitCase{50, 100, 10.9, 5.2, 40, 40, 20, 40},
                                           FitCase{20, 10, 0, 0, 80, 80, 80, 40}),
                         [](const auto& info) {
                             const FitCase& c = info.param;
                             return "Picture" + std::to_string(c.width) + "x" +
                                    std::to_string(c.height) + "InBoxAt" +
                                    std::to_string(static_cast<int>(c.x));
                         });

TEST(Picture, FromMemoryLikeFromAFile) {
    ScratchDir dir;
    const std::vector<unsigned char> png = readFile(writeSolid(dir, "p.png", 100, 50, "black"));
    Canvas canvas(1, 0, 200, 150);
    ASSERT_EQ(
        DrawDrawImageBlob(canvas.get(), png.data(), static_cast<int>(png.size()), 30, 20, 40, 40),
        CARDPAINT_OK);
    const Box box = darkBox(decode(commit(canvas.get())));
    EXPECT_EQ(box.left, 30);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 69);
    EXPECT_EQ(box.bottom, 39);
}

TEST(Picture, UnreadablePicturesAreReportedNotThrown) {
    ScratchDir dir;
    const std::string junk = dir.file("junk.png");
    std::FILE* file = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not a picture", file);
    std::fclose(file);
    const unsigned char bytes[] = {'n', 'o', 'p', 'e'};

    Canvas canvas(1, 0, 100, 100);
    const std::vector<unsigned char> before = commit(canvas.get());
    EXPECT_EQ(DrawDrawImage(canvas.get(), dir.file("missing.png").c_str(), 0, 0, 10, 10),
              CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(DrawDrawImage(canvas.get(), junk.c_str(), 0, 0, 10, 10), CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(DrawDrawImage(canvas.get(), nullptr, 0, 0, 10, 10), CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(DrawDrawImageBlob(canvas.get(), bytes, sizeof bytes, 0, 0, 10, 10),
              CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(DrawDrawImageBlob(canvas.get(), nullptr, 10, 0, 0, 10, 10), CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(commit(canvas.get()), before) << "a failed call leaves the canvas as it was";
}

// Decodes a picture file with the QR reader of zbar-tools; empty when it finds nothing.
std::string readQr(const std::string& path) {
    const std::string command = "zbarimg --quiet --raw '" + path + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        text += buffer;
    }
    pclose(pipe);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

struct QrCase {
    const char* name;
    int monochrome;
    const char* text;
};

class QrCode : public ::testing::TestWithParam<QrCase> {};

TEST_P(QrCode, DecodesBackToItsText) {
    if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "zbarimg missing";
    }
    const QrCase& c = GetParam();
    ScratchDir dir;
    Canvas canvas(1, c.monochrome, 300, 300);
    ASSERT_EQ(DrawDrawQRCode(canvas.get(), c.text, 30, 30, 240, 240), CARDPAINT_OK);
    const std::string path = dir.file("qr.bmp");
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    ASSERT_EQ(DrawGetPreviewImg(canvas.get(), 0, 0, name.data()), CARDPAINT_OK);
    EXPECT_EQ(readQr(path), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QrCode,
    ::testing::Values(QrCase{"Colour", 0, "abc"}, QrCase{"Monochrome", 1, "abc"},
                      QrCase{"LongerThanVersion3", 1,
                             "https://example.org/card?id=0123456789&name=ABCDEFGHIJKLMNOP"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(QrCode, SymbolIsPlacedWithinItsBox) {
    Canvas canvas(1, 0, 300, 300);
    // "abc" is 29 x 29 modules, 232 x 232 pixels, shrunk to 116 x 116.
    ASSERT_EQ(DrawDrawQRCode(canvas.get(), "abc", 40, 50, 116, 200), CARDPAINT_OK);
    const Box box = darkBox(decode(commit(canvas.get())));
    EXPECT_EQ(box.left, 40);
    EXPECT_EQ(box.top, 50);
    EXPECT_EQ(box.right, 40 + 115);
    EXPECT_EQ(box.bottom, 50 + 115);
}

TEST(QrCode, TextTooLongForAnySymbolFails) {
    Canvas canvas(1, 0, 100, 100);
    const std::string tooLong(8000, 'x');
    EXPECT_EQ(DrawDrawQRCode(canvas.get(), tooLong.c_str(), 0, 0, 100, 100), CARDPAINT_FAILED);
    EXPECT_EQ(DrawDrawQRCode(canvas.get(), nullptr, 0, 0, 100, 100), CARDPAINT_FAILED);
}

}  // namespace
}  // namespace cardpaint_test

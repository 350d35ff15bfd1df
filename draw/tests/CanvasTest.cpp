// Canvas creation, portrait rotation, release and the calls accepted without effect.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "cardpaint.h"

extern "C" int cardpaint_c_host_commit_length(void);

namespace cardpaint_test {
namespace {

TEST(Canvas, CallableFromC) {
    // 64 pixels take 8 bytes, padded to 8; 32 rows; headers and palette.
    EXPECT_EQ(cardpaint_c_host_commit_length(), 14 + 40 + 8 + 8 * 32);
}

TEST(Canvas, IsWhiteOfTheGivenSizeCutToWholePixels) {
    Canvas canvas(1, 0, 120.7, 80.2);
    ASSERT_EQ(canvas.prepared(), CARDPAINT_OK);
    const Magick::Image picture = decode(commit(canvas.get()));
    EXPECT_EQ(picture.columns(), 120u);
    EXPECT_EQ(picture.rows(), 80u);
    EXPECT_LT(darkBox(picture).right, 0) << "a new canvas has no dark pixel";
    EXPECT_EQ(colorAt(picture, 60, 40).red(), 1.0);
}

TEST(Canvas, UnusableSizeOrMissingHandleIsRefused) {
    DrawContext* canvas = nullptr;
    EXPECT_EQ(DrawPrepareCanvas(&canvas, 1, 0, 0, 10), CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(DrawPrepareCanvas(&canvas, 1, 0, -5, 10), CARDPAINT_IMAGE_ERROR);
    EXPECT_EQ(canvas, nullptr);
    EXPECT_EQ(DrawPrepareCanvas(nullptr, 1, 0, 10, 10), CARDPAINT_NO_CANVAS);
}

struct PortraitCase {
    double width, height;
    int portrait;
    int result;
    size_t outWidth, outHeight;
};

class Portrait : public ::testing::TestWithParam<PortraitCase> {};

TEST_P(Portrait, RotatesOnlyWhenTheShapeDiffers) {
    const PortraitCase& c = GetParam();
    Canvas canvas(1, 0, c.width, c.height);
    ASSERT_EQ(canvas.prepared(), CARDPAINT_OK);
    // The output rectangle covers any shape here.
    DrawSetCommitCanvasRect(canvas.get(), 0, 0, 1000, 1000);
    EXPECT_EQ(DrawSetCanvasPortrait(canvas.get(), c.portrait), c.result);
    const Magick::Image picture = decode(commit(canvas.get()));
    EXPECT_EQ(picture.columns(), c.outWidth);
    EXPECT_EQ(picture.rows(), c.outHeight);
}

INSTANTIATE_TEST_SUITE_P(Cases, Portrait,
                         ::testing::Values(PortraitCase{800, 500, 1, 0, 500, 800},
                                           PortraitCase{500, 800, 1, 0, 500, 800},
                                           PortraitCase{500, 800, 0, 0, 800, 500},
                                           PortraitCase{800, 500, 0, 0, 800, 500},
                                           PortraitCase{600, 600, 1, 0, 600, 600},
                                           PortraitCase{800, 500, 2, -1, 800, 500},
                                           PortraitCase{800, 500, -1, -1, 800, 500}),
                         [](const auto& info) {
                             const PortraitCase& c = info.param;
                             const std::string flag = c.portrait < 0
                                                          ? "Minus" + std::to_string(-c.portrait)
                                                          : std::to_string(c.portrait);
                             return std::to_string(static_cast<int>(c.width)) + "x" +
                                    std::to_string(static_cast<int>(c.height)) + "Portrait" + flag;
                         });

TEST(Portrait, TurnsWhatIsAlreadyDrawn) {
    Canvas canvas(1, 0, 200, 100);
    DrawSetCommitCanvasRect(canvas.get(), 0, 0, 1000, 1000);
    ScratchDir dir;
    // A black square at the top left corner of the landscape canvas.
    ASSERT_EQ(DrawDrawImage(canvas.get(), writeSolid(dir, "k.png", 10, 10, "black").c_str(), 0, 0,
                            10, 10),
              CARDPAINT_OK);
    ASSERT_EQ(DrawSetCanvasPortrait(canvas.get(), 1), CARDPAINT_OK);
    // A turn by 270 degrees (counter-clockwise) brings that corner to the bottom left.
    const Box box = darkBox(decode(commit(canvas.get())));
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 9);
    EXPECT_EQ(box.top, 190);
    EXPECT_EQ(box.bottom, 199);
}

TEST(Canvas, NullHandleGivesTheDocumentedCodes) {
    EXPECT_EQ(DrawSetCanvasPortrait(nullptr, 1), CARDPAINT_NO_CANVAS);
    EXPECT_EQ(DrawClearCanvas(nullptr), CARDPAINT_NO_CANVAS);
    EXPECT_EQ(DrawSetQRCodePara(nullptr, 1), CARDPAINT_NO_CANVAS);
    EXPECT_EQ(DrawSetBarCodePara(nullptr, 1, 2, 90), CARDPAINT_NO_ROOM);
    EXPECT_EQ(DrawDrawText(nullptr, "a", 0, 0), CARDPAINT_NO_CANVAS);
    EXPECT_EQ(DrawDrawImage(nullptr, "a.png", 0, 0, 1, 1), CARDPAINT_NO_CANVAS);
    EXPECT_EQ(DrawDrawQRCode(nullptr, "a", 0, 0, 1, 1), CARDPAINT_NO_CANVAS);
    EXPECT_EQ(DrawDrawSetFont(nullptr, "font", 12), CARDPAINT_NO_CANVAS);
    int length = 0;
    EXPECT_EQ(DrawCommitCanvas(nullptr, nullptr, &length), CARDPAINT_NO_CANVAS);
    char path[64] = "";
    EXPECT_EQ(DrawGetPreviewImg(nullptr, 0, 0, path), CARDPAINT_NO_CANVAS);
}

TEST(Canvas, CallsWithoutEffectLeaveThePictureAlone) {
    Canvas canvas(1, 0, 60, 40);
    const std::vector<unsigned char> before = commit(canvas.get());
    const unsigned char data[4] = {1, 2, 3, 4};
    EXPECT_EQ(DrawSetImgSharpness(canvas.get(), 5), 0);
    EXPECT_EQ(DrawSetCodeColor(canvas.get(), 1, 2, 3), 0);
    EXPECT_EQ(DrawSetWaterMarkParam(canvas.get(), 1, 2), 0);
    EXPECT_EQ(DrawSetWaterMarkHalftone(canvas.get(), 1), 0);
    EXPECT_EQ(DrawSetHalftoneMethod(canvas.get(), 1), 0);
    EXPECT_EQ(DrawDrawBarCode(canvas.get(), "123", 0, 0, 60, 40), 0);
    EXPECT_EQ(DrawDrawWaterMark(canvas.get(), "missing.png", 0, 0, 60, 40), 0);
    EXPECT_EQ(DrawPrintDraw(canvas.get(), data, 4, 0, 0), 0);
    EXPECT_EQ(DrawGetTextPosition(1.0f, 2.0f, 30, 20), 0);
    EXPECT_EQ(DrawSetTextColor(canvas.get(), 0, 0, 0), 0);
    EXPECT_EQ(DrawSetTextDecorate(canvas.get(), 1, 1, 1, 1), 0);
    EXPECT_EQ(commit(canvas.get()), before);
}

}  // namespace
}  // namespace cardpaint_test

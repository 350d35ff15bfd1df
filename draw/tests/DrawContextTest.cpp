// Settings kept in the canvas record.
#include <gtest/gtest.h>

#include <string>

#include "DrawContext.h"
#include "TestSupport.h"
#include "cardpaint.h"

namespace cardpaint_test {
namespace {

TEST(DrawContext, StartsWithTheDocumentedValues) {
    Canvas canvas(1, 1, 300, 200);
    const DrawContext& c = *canvas.get();
    EXPECT_EQ(c.barcodeType, 3);
    EXPECT_EQ(c.qrParam, 1);
    EXPECT_STREQ(c.fontName, "");
    EXPECT_EQ(c.fontSize, 12.0f);
    EXPECT_EQ(c.textColor[0] + c.textColor[1] + c.textColor[2], 3 * 255);
    EXPECT_EQ(c.imageScale, 1.0f);
    EXPECT_EQ(c.monochrome, 1);
    EXPECT_EQ(c.colorOutput, 1);
    EXPECT_EQ(c.commitRect.width, 300);
    EXPECT_EQ(c.commitRect.height, 200);
    EXPECT_EQ(c.image->columns(), 300u);
    EXPECT_EQ(c.image->density().width(), 300u);
}

TEST(DrawContext, StrongClearsAWeightSetBefore) {
    Canvas first(1, 0, 10, 10);
    DrawSetTextFontWeight(first.get(), 700);
    DrawSetTextIsStrong(first.get(), 1);
    EXPECT_EQ(first.get()->bold, 1);
    EXPECT_EQ(first.get()->fontWeight, 0);

    Canvas second(1, 0, 10, 10);
    DrawSetTextIsStrong(second.get(), 1);
    DrawSetTextFontWeight(second.get(), 700);
    EXPECT_EQ(second.get()->bold, 1);
    EXPECT_EQ(second.get()->fontWeight, 700);
}

TEST(DrawContext, TextStyleFollowsTheCurrentFlags) {
    if (!fontAvailable()) {
        GTEST_SKIP() << "font missing";
    }
    Canvas canvas(1, 0, 100, 50);
    DrawDrawSetFont(canvas.get(), CARDPAINT_TEST_FONT, 12);
    const Magick::Image& image = *canvas.get()->image;
    DrawSetTextIsStrong(canvas.get(), 1);
    DrawSetTextFontWeight(canvas.get(), 700);
    ASSERT_EQ(DrawDrawText(canvas.get(), "a", 1, 20), CARDPAINT_OK);
    EXPECT_EQ(image.fontStyle(), MagickCore::BoldStyle);
    EXPECT_EQ(image.fontWeight(), 700u);
    DrawSetTextIsItalic(canvas.get(), 1);
    ASSERT_EQ(DrawDrawText(canvas.get(), "a", 1, 20), CARDPAINT_OK);
    EXPECT_EQ(image.fontStyle(), MagickCore::ItalicStyle) << "a later flag overrides";
    // Flags turned off again no longer apply to the next text.
    DrawSetTextIsStrong(canvas.get(), 0);
    DrawSetTextIsItalic(canvas.get(), 0);
    ASSERT_EQ(DrawDrawText(canvas.get(), "a", 1, 20), CARDPAINT_OK);
    EXPECT_EQ(image.fontStyle(), MagickCore::UndefinedStyle);
    EXPECT_EQ(image.fontWeight(), 0u);
}

TEST(DrawContext, EverySetterOfTheRotationSetsIt) {
    Canvas canvas(1, 0, 10, 10);
    DrawSetTextRotation(canvas.get(), 10);
    EXPECT_EQ(canvas.get()->rotation, 10);
    DrawSetImagePara(canvas.get(), 4, 20, 0.5f);
    EXPECT_EQ(canvas.get()->rotation, 20);
    EXPECT_EQ(canvas.get()->imageParam, 4);
    EXPECT_EQ(canvas.get()->imageScale, 0.5f);
    DrawSetBarCodePara(canvas.get(), 1, 2, 90);
    EXPECT_EQ(canvas.get()->rotation, 90);
    EXPECT_EQ(canvas.get()->barcodeType, 1);
    EXPECT_EQ(canvas.get()->barcodeParam, 2);
    DrawSetPreviewImg(canvas.get(), 0, 180, 1, 257, 2.0f);
    EXPECT_EQ(canvas.get()->rotation, 180);
    EXPECT_EQ(canvas.get()->flip, 1);
    EXPECT_EQ(canvas.get()->negate, 1) << "stored as a byte";
}

TEST(DrawContext, FontNameIsCutTo254Characters) {
    Canvas canvas(1, 0, 10, 10);
    const std::string longName(300, 'n');
    DrawDrawSetFont(canvas.get(), longName.c_str(), 30);
    EXPECT_EQ(std::string(canvas.get()->fontName), std::string(254, 'n'));
    EXPECT_EQ(canvas.get()->fontSize, 30.0f);
    DrawDrawSetFont(canvas.get(), nullptr, 8);
    EXPECT_STREQ(canvas.get()->fontName, "");
}

}  // namespace
}  // namespace cardpaint_test

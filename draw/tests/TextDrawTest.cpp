// Text lands at its baseline position, in the canvas's font.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "cardpaint.h"

namespace cardpaint_test {
namespace {

struct TextCase {
    const char* name;
    const char* text;
    double x, y;
    bool descends;  // a letter below the baseline
};

class TextPosition : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextPosition, DarkPixelsOnlyAroundTheBaseline) {
    if (!fontAvailable()) {
        GTEST_SKIP() << "font missing: " << CARDPAINT_TEST_FONT;
    }
    const TextCase& c = GetParam();
    Canvas canvas(1, 0, 400, 200);
    ASSERT_EQ(DrawDrawSetFont(canvas.get(), CARDPAINT_TEST_FONT, 30), CARDPAINT_OK);
    ASSERT_EQ(DrawDrawText(canvas.get(), c.text, c.x, c.y), CARDPAINT_OK);
    const Box box = darkBox(decode(commit(canvas.get())));
    ASSERT_GE(box.right, box.left) << "nothing was drawn";
    // Point size 30 gives glyphs about 28 pixels tall above the baseline.
    EXPECT_GE(box.left, c.x - 2);
    EXPECT_LE(box.left, c.x + 6);
    EXPECT_GE(box.top, c.y - 34);
    EXPECT_LE(box.top, c.y - 15);
    if (c.descends) {
        EXPECT_GT(box.bottom, c.y);
        EXPECT_LE(box.bottom, c.y + 10);
    } else {
        EXPECT_LE(box.bottom, c.y + 3);
    }
    EXPECT_LT(box.right, c.x + 160);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextPosition,
    ::testing::Values(TextCase{"Latin", "HELLO", 20, 60, false},
                      TextCase{"LatinDescender", "Hgjp", 150, 150, true},
                      TextCase{"Chinese", "\xe5\xa7\x93\xe5\x90\x8d", 200, 80, true},
                      TextCase{"Mixed", "ID \xe5\xbc\xa0\xe4\xb8\x89", 40, 170, true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Text, LaterCallsPaintOntoTheSameCanvas) {
    if (!fontAvailable()) {
        GTEST_SKIP() << "font missing";
    }
    Canvas canvas(1, 0, 300, 200);
    DrawDrawSetFont(canvas.get(), CARDPAINT_TEST_FONT, 30);
    ASSERT_EQ(DrawDrawText(canvas.get(), "A", 10, 40), CARDPAINT_OK);
    ASSERT_EQ(DrawDrawText(canvas.get(), "B", 200, 180), CARDPAINT_OK);
    const Box box = darkBox(decode(commit(canvas.get())));
    EXPECT_LT(box.left, 20);
    EXPECT_LT(box.top, 40);
    EXPECT_GT(box.right, 200);
    EXPECT_GE(box.bottom, 170);
}

TEST(Text, LargerPointSizeDrawsTallerGlyphs) {
    if (!fontAvailable()) {
        GTEST_SKIP() << "font missing";
    }
    long heights[2];
    const float sizes[2] = {12, 48};
    for (int i = 0; i < 2; ++i) {
        Canvas canvas(1, 0, 300, 120);
        DrawDrawSetFont(canvas.get(), CARDPAINT_TEST_FONT, sizes[i]);
        ASSERT_EQ(DrawDrawText(canvas.get(), "H", 10, 100), CARDPAINT_OK);
        const Box box = darkBox(decode(commit(canvas.get())));
        heights[i] = box.bottom - box.top + 1;
    }
    EXPECT_GT(heights[1], 3 * heights[0]);
}

TEST(Text, UnknownFontIsReportedNotThrown) {
    Canvas canvas(1, 0, 200, 80);
    DrawDrawSetFont(canvas.get(), "/nonexistent/font-file.ttf", 20);
    EXPECT_EQ(DrawDrawText(canvas.get(), "abc", 10, 40), CARDPAINT_IMAGE_ERROR);
}

TEST(Text, OverlongFontNameIsCut) {
    Canvas canvas(1, 0, 200, 80);
    const std::string longName(400, 'f');
    EXPECT_EQ(DrawDrawSetFont(canvas.get(), longName.c_str(), 20), CARDPAINT_OK);
    // The cut name is still an unknown font: the call fails cleanly.
    EXPECT_EQ(DrawDrawText(canvas.get(), "abc", 10, 40), CARDPAINT_IMAGE_ERROR);
}

}  // namespace
}  // namespace cardpaint_test

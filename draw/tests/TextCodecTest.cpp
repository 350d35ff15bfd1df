// Text conversion between UTF-8, UTF-16LE and GB18030.
#include <gtest/gtest.h>

#include <vector>

#include "cardpaint.h"

namespace {

using Bytes = std::vector<unsigned char>;

const char kTwoChinese[] = "\xe4\xb8\xad\xe6\x96\x87";  // 中文

TEST(TextCodec, ConvertsBetweenTheThreeEncodings) {
    unsigned char out[16];
    ASSERT_EQ(utf8_to_utf16("abc", 3, out, sizeof out), 6);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{0x61, 0, 0x62, 0, 0x63, 0, 0, 0}));

    const unsigned char utf16[] = {0x2D, 0x4E, 0x87, 0x65};
    ASSERT_EQ(utf16_to_utf8(utf16, sizeof utf16, out, sizeof out), 6);
    EXPECT_EQ(Bytes(out, out + 6), Bytes(kTwoChinese, kTwoChinese + 6));

    ASSERT_EQ(utf8ToAscii(out, sizeof out, kTwoChinese, 6), 4);
    EXPECT_EQ(Bytes(out, out + 5), (Bytes{0xD6, 0xD0, 0xCE, 0xC4, 0}));
}

TEST(TextCodec, TooSmallOutputKeepsWhatFitAndZeroesTheRest) {
    unsigned char out[3] = {0xAA, 0xAA, 0xAA};
    EXPECT_EQ(utf8_to_utf16("abc", 3, out, 3), -1);
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{0x61, 0x00, 0x00}));
}

TEST(TextCodec, FailuresGiveMinusOne) {
    unsigned char out[16];
    const char truncated[] = "\xe4\xb8";
    const char invalid[] = "\xff\xfe";
    EXPECT_EQ(utf8_to_utf16(truncated, 2, out, sizeof out), -1);
    EXPECT_EQ(utf8_to_utf16(invalid, 2, out, sizeof out), -1);
    EXPECT_EQ(convert_char_code("NO-SUCH-CODE", "UTF-8", out, sizeof out, "a", 1), -1);
    EXPECT_EQ(convert_char_code("ASCII", "UTF-8", out, sizeof out, kTwoChinese, 6), -1);
    EXPECT_EQ(utf8_to_utf16("abc", -1, out, sizeof out), -1);
    EXPECT_EQ(utf8_to_utf16("abc", 3, nullptr, 8), -1);
}

TEST(TextCodec, EmptyInputGivesNothing) {
    unsigned char out[4] = {1, 1, 1, 1};
    EXPECT_EQ(utf8_to_utf16("", 0, out, sizeof out), 0);
    EXPECT_EQ(Bytes(out, out + 4), Bytes(4, 0));
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/LoggerText.h"

namespace {

TEST(LoggerTextTest, IntToHexAndStr) {
    EXPECT_EQ(inttohex(255, 4), "00FF");
    EXPECT_EQ(inttohex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(inttohex(0xABC, 1), "ABC");
    EXPECT_EQ(inttostr(-42), "-42");
}

TEST(LoggerTextTest, BytesToHexTextStaysWithinOutChars) {
    const char data[] = {0x01, static_cast<char>(0xAB), 0x7F};
    char out[8];
    convert_bytes_2_hexstr(data, 3, out, 7);
    EXPECT_STREQ(out, "01AB7F");
    char small[5];
    convert_bytes_2_hexstr(data, 3, small, 4);
    EXPECT_STREQ(small, "01AB");
}

TEST(LoggerTextTest, HexTextToBytes) {
    char out[4] = {};
    EXPECT_EQ(convert_hexstr_bytes(std::string("01aBff"), out, 4), 3);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 0xAB);
    EXPECT_EQ(convert_hexstr_bytes(std::string("0102"), out, 1), 1);
    EXPECT_EQ(convert_hexstr_bytes(std::string(""), out, 4), 0);
    EXPECT_EQ(convert_hexstr_bytes("01", out, 0), 0);
    // A lone last digit is the high half of a final byte, in both forms.
    EXPECT_EQ(convert_hexstr_bytes("ABC", out, 4), 2);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 0xC0);
    EXPECT_EQ(convert_hexstr_bytes(std::string("ABC"), out, 4), 2);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 0xC0);
}

TEST(LoggerTextTest, ReplaceAllEnds) {
    EXPECT_EQ(replace_all("aXbXc", "X", "--"), "a--b--c");
    EXPECT_EQ(replace_all("aaaa", "aa", "a"), "a");
    EXPECT_EQ(replace_all("aa", "a", "ab"), "abab");
    EXPECT_EQ(replace_all("abc", "", "z"), "abc");
}

TEST(LoggerTextTest, TrimSpacesOnly) {
    std::string s = "  a b  ";
    EXPECT_EQ(trim(s), "a b");
    EXPECT_EQ(s, "  a b  ");
    std::string spaces = "   ";
    EXPECT_EQ(trim(spaces), "");
    std::string tabs = "\ta\t";
    EXPECT_EQ(trim(tabs), "\ta\t");
}

TEST(LoggerTextTest, SplitKeepsEveryPiece) {
    using V = std::vector<std::string>;
    EXPECT_EQ(split("a,,b,", ","), (V{"a", "", "b", ""}));
    EXPECT_EQ(split("", ","), V{""});
    EXPECT_EQ(split("ab", ","), V{"ab"});
    EXPECT_EQ(split("ab", ""), V{"ab"});
}

}  // namespace

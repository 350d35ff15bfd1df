// The text helpers shipped with cardpaint.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "cardpaint_character.h"

namespace {

using Pieces = std::vector<std::string>;

TEST(Character, SplitKeepsOnlyNonEmptyPieces) {
    struct Case {
        const char* text;
        const char* delimiter;
        Pieces pieces;
    };
    for (const Case& c :
         {Case{"a,,b,", ",", {"a", "b"}}, Case{",a", ",", {"a"}}, Case{"a--b--", "--", {"a", "b"}},
          Case{"", ",", {}}, Case{"abc", ",", {"abc"}}, Case{"abc", "", {"abc"}}}) {
        EXPECT_EQ(_character::split(c.text, c.delimiter), c.pieces) << c.text;
    }
}

TEST(Character, ReplaceCountsAndResumesAfterTheInsertedText) {
    struct Case {
        const char* from;
        const char* to;
        int count;
        const char* result;
    };
    for (const Case& c :
         {Case{"a", "aa", -1, "aaaaaa"}, Case{"a", "aa", 0, "aaaaaa"}, Case{"a", "aa", 2, "aaaaa"},
          Case{"aa", "b", -1, "ba"}, Case{"", "x", -1, "aaa"}}) {
        std::string text = "aaa";
        std::string from = c.from;
        std::string to = c.to;
        _character::CSreplace(text, from, to, c.count);
        EXPECT_EQ(text, c.result) << c.from << "->" << c.to << " " << c.count;
    }
}

TEST(Character, HexTextToBytes) {
    char out[8] = {};
    int length = -1;
    _character::ConvertStringToHex("A1 B2", out, &length);
    ASSERT_EQ(length, 2);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 0xA1);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 0xB2);

    char untouched[4] = {9, 9, 9, 9};
    _character::ConvertStringToByte("A1B", 10, untouched, &length);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(untouched[0], 9);
}

TEST(Character, HexTextIsBoundedTo1024Bytes) {
    const std::string digits(3000, 'F');
    std::vector<char> out(1500, 0);
    int length = 0;
    _character::ConvertStringToHex(digits.c_str(), out.data(), &length);
    EXPECT_EQ(length, 1024);
    EXPECT_EQ(out[1024], 0);
}

TEST(Character, BytesToText) {
    unsigned char bytes[] = {0x0A, 0xFF, 7, 8, 9, 200};
    char out[64];
    _character::ConvertHexToString(bytes, 0, 2, " ", out);
    EXPECT_STREQ(out, "0A FF");
    _character::ConvertHexToString(bytes, 0, 2, "x", out);
    EXPECT_STREQ(out, "0AXFFX");
    _character::ConvertByteToString(bytes, 2, 3, 10, "-", 2, out);
    EXPECT_STREQ(out, "0708-09");
    _character::ConvertByteToString(bytes, 4, 2, 10, ",", 0, out);
    EXPECT_STREQ(out, "09200");
}

TEST(Character, ByteTextIsBounded) {
    std::vector<unsigned char> bytes(6000, 0xAB);
    std::vector<char> out(20000, 'z');
    _character::ConvertHexToString(bytes.data(), 0, static_cast<int>(bytes.size()), ":",
                                   out.data());
    EXPECT_EQ(std::strlen(out.data()), 10239u);
}

TEST(Character, PaddingAndNumbers) {
    char out[300];
    _character::padleft("5", "0", 3, out);
    EXPECT_STREQ(out, "005");
    _character::padleft("12345", "0", 3, out);
    EXPECT_STREQ(out, "12345");
    _character::padleft("x", "ab", 3, out);
    EXPECT_STREQ(out, "ababx");
    _character::padleft("x", "0", 1000, out);
    EXPECT_EQ(std::strlen(out), 255u);

    _character::ByteToHex(0x0B, out);
    EXPECT_STREQ(out, "0B");

    char number[4];
    EXPECT_STREQ(_character::my_itoa_buf(number, sizeof number, 12345), "123");
    EXPECT_STREQ(_character::my_itoa_buf(number, sizeof number, -7), "-7");
    EXPECT_STREQ(_character::my_itoa_buf(nullptr, 10, 5), "");
    EXPECT_STREQ(_character::my_itoa_buf(number, 0, 5), "");
}

TEST(Character, Trimming) {
    EXPECT_EQ(_character::trim("  a b  "), "a b");
    EXPECT_EQ(_character::trim("\ta "), "\ta");
    EXPECT_EQ(_character::trim_left("xxaxx", "x"), "axx");
    EXPECT_EQ(_character::trim_right("xxaxx", "x"), "xxa");
    EXPECT_EQ(_character::trim_right("xyx", "xy"), "");
}

TEST(Character, CaseMappingLeavesUtf8Alone) {
    // Under a UTF-8 locale the wide-character mapping would change single bytes of these
    // sequences.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    char out[32];
    _character::upperCase(out, "abc-Z\xc3\xa4");
    EXPECT_STREQ(out, "ABC-Z\xc3\xa4");
    _character::lowerCase(out, "ABC-a\xc3\x84");
    EXPECT_STREQ(out, "abc-a\xc3\x84");
    std::setlocale(LC_CTYPE, previous.c_str());
}

}  // namespace

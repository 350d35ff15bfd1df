#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "core/BaseRefer.h"
#include "core/Process.h"

using namespace _baseRefer;

namespace {

TEST(Base64Test, EncodesWithPadding) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "YWJj"}, {"ab", "YWI="}, {"a", "YQ=="}, {"", ""}, {"abcd", "YWJjZA=="}};
    for (const auto& [plain, encoded] : cases) {
        char out[32];
        kq_base64_encode(reinterpret_cast<const unsigned char*>(plain.data()),
                         static_cast<int>(plain.size()), out);
        EXPECT_EQ(out, encoded) << plain;
    }
}

TEST(Base64Test, DecodeStopsAtInvalidGroupsAndShortInput) {
    struct Case {
        const char* text;
        int consumed;
        int written;
        const char* bytes;
    };
    const Case cases[] = {
        {"YWI=", 4, 2, "ab"}, {"YWJj", 4, 3, "abc"},      {"YW*j", 0, 0, ""},
        {"YWJ", 0, 0, ""},    {"YWJjYQ==", 8, 4, "abca"}, {"YWJj*AAA", 4, 3, "abc"},
        {"==AA", 4, 0, ""},   {"YWJjYW", 4, 3, "abc"},
    };
    for (const Case& c : cases) {
        char out[32];
        std::memset(out, 'x', sizeof(out));
        int written = -1;
        int consumed = kq_base64_decode(reinterpret_cast<const unsigned char*>(c.text),
                                        static_cast<int>(std::strlen(c.text)), out, &written);
        EXPECT_EQ(consumed, c.consumed) << c.text;
        EXPECT_EQ(written, c.written) << c.text;
        EXPECT_EQ(std::string(out, written), c.bytes) << c.text;
        EXPECT_EQ(out[written], '\0') << c.text;
    }
}

TEST(XorTest, LengthBelowTwoStillCoversTwoBytes) {
    unsigned char data[] = {0x01, 0x02, 0x04};
    EXPECT_EQ(getXOR(data, 3), 0x07);
    EXPECT_EQ(getXOR(data, 1), 0x03);
    EXPECT_EQ(getXOR(data, 0), 0x03);
}

TEST(HexTextTest, StringToHex) {
    char out[8] = {};
    int n = -1;
    ConvertStringToHex("A1 B2", out, &n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 0xA1);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 0xB2);

    char untouched[2] = {'q', 'q'};
    ConvertStringToHex("A1B", untouched, &n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(untouched[0], 'q');
}

TEST(HexTextTest, StringToHexIsBoundedToItsWorkArea) {
    std::string text(3000, 'F');
    std::vector<char> out(1100, 0);
    int n = 0;
    ConvertStringToHex(text.c_str(), out.data(), &n);
    EXPECT_EQ(n, 1024);
    EXPECT_EQ(out[1024], 0);
}

TEST(HexTextTest, ByteRunsToText) {
    struct Case {
        std::vector<unsigned char> bytes;
        int base;
        const char* separator;
        int group;
        const char* expected;
    };
    const Case cases[] = {
        {{0x0A, 0xFF}, 16, " ", 1, "0A FF"}, {{0x0A, 0xFF}, 16, "x", 1, "0AXFFX"},
        {{7, 8, 9}, 10, "-", 2, "0708-09"},  {{200, 5}, 10, ",", 0, "20005"},
        {{0xAB}, 16, "", 1, "AB"},
    };
    for (const Case& c : cases) {
        char out[64];
        std::vector<unsigned char> data = c.bytes;
        ConvertByteToString(data.data(), 0, static_cast<int>(data.size()), c.base, c.separator,
                            c.group, out);
        EXPECT_STREQ(out, c.expected);
    }
    unsigned char two[] = {0x0A, 0xFF};
    char out[16];
    ConvertHexToString(two, 0, 2, " ", out);
    EXPECT_STREQ(out, "0A FF");
    ConvertHexToString(two, 1, 1, "", out);
    EXPECT_STREQ(out, "FF");
}

TEST(HexTextTest, LongByteRunIsCutToTheTextArea) {
    std::vector<unsigned char> data(8000, 0x11);
    std::vector<char> out(20000, 'z');
    ConvertByteToString(data.data(), 0, static_cast<int>(data.size()), 16, " ", 1, out.data());
    EXPECT_LE(std::strlen(out.data()), 10239u);
}

TEST(PadTest, PadLeftAndNumbers) {
    char out[300];
    padleft("5", "0", 3, out);
    EXPECT_STREQ(out, "005");
    padleft("12345", "0", 3, out);
    EXPECT_STREQ(out, "12345");
    padleft("x", "ab", 3, out);
    EXPECT_STREQ(out, "ababx");
    padleft("1", "0", 100000, out);
    EXPECT_EQ(std::strlen(out), 255u) << "bounded to the 256-byte area";

    char hex[3];
    ByteToHex(0x0B, hex);
    EXPECT_STREQ(hex, "0B");

    char num[4];
    EXPECT_STREQ(my_itoa_buf(num, sizeof(num), 12345), "123");
    EXPECT_STREQ(my_itoa_buf(nullptr, 10, 5), "");
    EXPECT_STREQ(my_itoa_buf(num, 0, 5), "");
}

TEST(TrimSplitTest, TrimAndSplit) {
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(trim("    "), "");
    EXPECT_EQ(trim("\ta\t"), "\ta\t");
    EXPECT_EQ(trim_right("abxx", "x"), "ab");
    EXPECT_EQ(trim_left("xxab", "xy"), "ab");
    EXPECT_EQ(trim_left("xyx", "xy"), "");

    using V = std::vector<std::string>;
    EXPECT_EQ(split("a,,b,", ","), (V{"a", "", "b"}));
    EXPECT_EQ(split(",a", ","), (V{"", "a"}));
    EXPECT_EQ(split("", ","), V{});
    EXPECT_EQ(split("a--b", "--"), (V{"a", "b"}));
}

TEST(ReplaceTest, CountLimitsReplacementsAndScanResumesAfterInsert) {
    struct Case {
        std::string text, from, to;
        int count;
        std::string expected;
    };
    const Case cases[] = {
        {"aaa", "a", "aa", -1, "aaaaaa"}, {"aaa", "a", "aa", 2, "aaaaa"},
        {"aaa", "a", "aa", 0, "aaaaaa"},  {"x[V]y[V]", "[V]", "1", 1, "x1y[V]"},
        {"abc", "", "z", -1, "abc"},
    };
    for (Case c : cases) {
        CSreplace(c.text, c.from, c.to, c.count);
        EXPECT_EQ(c.text, c.expected);
    }
}

TEST(CaseTest, UpperAndLower) {
    char out[16];
    upperCase(out, "abC1");
    EXPECT_STREQ(out, "ABC1");
    lowerCase(out, "AbC1");
    EXPECT_STREQ(out, "abc1");
}

TEST(CaseTest, Utf8BytesStayAsTheyAreUnderAUtf8Locale) {
    // The wide-character mapping would turn the lead byte C3 into E3 here.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    char out[32];
    upperCase(out, "abc-\xc3\xa4");
    EXPECT_STREQ(out, "ABC-\xc3\xa4");
    lowerCase(out, "ABC-\xc3\x84");
    EXPECT_STREQ(out, "abc-\xc3\x84");
    std::setlocale(LC_CTYPE, previous.c_str());
}

TEST(ParseTest, ConvertString2json) {
    Json::Value v;
    EXPECT_EQ(convertString2json(R"({"a":1})", v), 0);
    EXPECT_EQ(v["a"].asInt(), 1);
    EXPECT_EQ(convertString2json("abc", v), -1);
    EXPECT_EQ(convertString2json("{", v), -1);
    EXPECT_EQ(convertString2json(nullptr, v), -1);
}

void* setFlag(void* arg) {
    *static_cast<std::atomic<bool>*>(arg) = true;
    return nullptr;
}

TEST(ThreadTest, StartsADetachedThread) {
    std::atomic<bool> ran{false};
    kq_start_thread(setFlag, &ran);
    for (int i = 0; i < 500 && !ran; ++i) usleep(2000);
    EXPECT_TRUE(ran);
}

}  // namespace

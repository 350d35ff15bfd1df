#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "BcdTime.h"
#include "Crc16.h"
#include "HexText.h"

TEST(EcpCrc16, XmodemCheckValue) {
    const unsigned char digits[] = "123456789";
    EXPECT_EQ(0x31C3, Cal_CRC16(digits, 9));
    EXPECT_EQ(0, Check_CRC16(0x31C3, digits, 9));
    EXPECT_EQ(0, Check_CRC16(0xABCD31C3, digits, 9)) << "only the low 16 bits are compared";
    EXPECT_EQ(1, Check_CRC16(0x31C4, digits, 9));
    EXPECT_EQ(0, Cal_CRC16(digits, 0));
}

// The table-driven CRC must agree with the augmented bit loop plus two zero bytes.
TEST(EcpCrc16, TableFormEqualsAugmentedStep) {
    std::mt19937 rng(7);
    for (int len : {1, 2, 13, 64, 1000}) {
        std::vector<unsigned char> data(static_cast<size_t>(len));
        for (auto& b : data) b = static_cast<unsigned char>(rng());
        unsigned short crc = 0;
        for (unsigned char b : data) crc = UpdateCRC16(crc, b);
        crc = UpdateCRC16(UpdateCRC16(crc, 0), 0);
        EXPECT_EQ(crc, Cal_CRC16(data.data(), static_cast<unsigned>(len))) << len;
    }
}

TEST(EcpChecksum, SumModulo256) {
    const unsigned char data[] = {0xFF, 0x02, 0x10};
    EXPECT_EQ(0x11, CalcChecksum(data, 3));
}

TEST(EcpBcd, ByteConversions) {
    struct Case {
        int value;
        unsigned char bcd;
    } cases[] = {{0, 0x00}, {9, 0x09}, {10, 0x10}, {59, 0x59}, {99, 0x99}, {120, 0x20}};
    for (const auto& c : cases) EXPECT_EQ(c.bcd, Char2Bcd(static_cast<char>(c.value))) << c.value;

    unsigned char values[] = {0, 7, 42, 99};
    unsigned char bcd[4], back[4];
    Hex2Bcd(values, bcd, 4);
    EXPECT_EQ(0x42, bcd[2]);
    Bcd2Hex(bcd, back, 4);
    EXPECT_EQ(0, std::memcmp(values, back, 4));
}

TEST(EcpBcd, TimeStamps) {
    setenv("TZ", "UTC", 1);
    tzset();
    const long t = 1706715900;  // 2024-01-31 15:45:00 UTC
    char seven[7], six[6];
    Get_BCDTime7(t, seven);
    const unsigned char want7[] = {0x20, 0x24, 0x01, 0x31, 0x15, 0x45, 0x00};
    EXPECT_EQ(0, std::memcmp(want7, seven, 7));
    Get_BCDTime6(t, six);
    EXPECT_EQ(0, std::memcmp(want7 + 1, six, 6));
}

TEST(EcpHex, AsciiAndBack) {
    char text[] = "0aFf7B";
    unsigned char bytes[3];
    Asc2Hex(bytes, text, 3);
    EXPECT_EQ(0x0A, bytes[0]);
    EXPECT_EQ(0xFF, bytes[1]);
    EXPECT_EQ(0x7B, bytes[2]);
    char out[7] = {};
    Hex2Asc(out, bytes, 3);
    EXPECT_STREQ("0AFF7B", out);
}

TEST(EcpText, CaseMapping) {
    char text[] = "Ab-z9\xC3\xA9";
    StrToUpper(text);
    EXPECT_STREQ("AB-Z9\xC3\xA9", text);
    StrToLower(text);
    EXPECT_STREQ("ab-z9\xC3\xA9", text);
}

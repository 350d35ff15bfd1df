// Exported functions that need no printer: calling order, WB2Bin and the JSON helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kqCR80Printer.h"
#include "kqCR80PrinterJson.h"

TEST(EcpExportedApi, BeforeEnumerationAndWithoutPrinters) {
    kqCR80_Pram* printer = nullptr;
    EXPECT_EQ(KQ_ECP_NO_DRIVER, kq_ecp_open("A1", &printer));
    EXPECT_EQ(KQ_ECP_NO_DRIVER, kq_ecp_erase(printer));
    EXPECT_EQ(0, kq_ecp_close());
    // No simulated or real printer is attached to the test machine.
    char list[64] = "untouched";
    unsigned length = sizeof list;
    int count = -5;
    EXPECT_EQ(-1, kq_ecp_enum(list, &length, &count));
    EXPECT_STREQ("untouched", list);
    EXPECT_EQ(-5, count);
    EXPECT_EQ(KQ_ECP_NO_DRIVER, kq_ecp_open("A1", &printer)) << "a failed enum keeps no driver";
}

TEST(EcpWB2Bin, PacksRowsPaddedToFourBytes) {
    struct Case {
        int width, height, rowBytes;
        unsigned char first, second;
    } cases[] = {{16, 2, 4, 0xAA, 0xAA},
                 {12, 1, 4, 0xAA, 0xA0},
                 {8, 3, 4, 0xAA, 0x00},
                 {33, 1, 8, 0xAA, 0xAA}};
    for (const auto& c : cases) {
        std::vector<char> pixels(static_cast<size_t>(c.width * c.height));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % c.width) % 2 == 0 ? 7 : 0;
        std::vector<char> out(static_cast<size_t>(c.rowBytes * c.height) + 4, 0x55);
        int length = 0;
        ASSERT_EQ(0, WB2Bin(pixels.data(), 0, c.width, c.height, out.data(), &length));
        EXPECT_EQ(c.rowBytes * c.height, length) << c.width;
        for (int row = 0; row < c.height; ++row) {
            const auto* r = reinterpret_cast<unsigned char*>(out.data()) + row * c.rowBytes;
            EXPECT_EQ(c.first, r[0]) << c.width;
            EXPECT_EQ(c.second, r[1]) << c.width;
            EXPECT_EQ(0, r[c.rowBytes - 1]) << c.width;
        }
        EXPECT_EQ(0x55, out[static_cast<size_t>(length)]) << "nothing past the rows";
    }
}

TEST(EcpJsonText, ParseAndWrite) {
    Json::Value v;
    EXPECT_EQ(0, parseJson("{\"b\":1,\"a\":\"\xE6\x88\x90\"}", v));
    EXPECT_EQ(1, v["b"].asInt());
    Json::Value bad;
    EXPECT_EQ(-1, parseJson("{\"b\":", bad));
    EXPECT_EQ(-1, parseJson("nonsense", bad));

    char out[256];
    ASSERT_EQ(0, parseJson2str(out, v, false));
    EXPECT_STREQ("{\"a\":\"\xE6\x88\x90\",\"b\":1}", out);
    ASSERT_EQ(0, parseJson2str(out, v, true));
    EXPECT_NE(nullptr, std::strchr(out, '\n')) << "indented form keeps the default indentation";
}

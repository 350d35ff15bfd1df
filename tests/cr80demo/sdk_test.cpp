// KQCR80Printer.so without a printer: argument checks, the functions without meaning
// for a rewritable printer, and the canvas up to the print data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LibCR80SDK.h"
#include "PrintRaster.h"
#include "TempTree.h"

namespace {

class Cr80Sdk : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        sdk = new LibCR80SDK();
        testing::internal::CaptureStdout();
        const int rc = sdk->LoadLibCR80SDK("KQCR80Printer.so", KQCR80_SDK_DIR "/");
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(0, rc);
    }
    void SetUp() override { ASSERT_NE(nullptr, sdk); }
    void TearDown() override { sdk->libCR80ClearCanvas("T1"); }

    // The committed print data of printer T1's canvas.
    std::vector<uint8_t> commit() {
        int size = 0;
        EXPECT_EQ(KQCR80_OK, sdk->libCR80CommitCanvas("T1", nullptr, &size));
        std::vector<uint8_t> data(static_cast<size_t>(size > 0 ? size : 1), 0);
        EXPECT_EQ(KQCR80_OK, sdk->libCR80CommitCanvas("T1", data.data(), &size));
        return data;
    }

    // Loaded for the whole process, as the program keeps its SDK.
    static LibCR80SDK* sdk;
};
LibCR80SDK* Cr80Sdk::sdk = nullptr;

TEST_F(Cr80Sdk, NullAndShortArgumentsAreRefused) {
    char text[8] = {0};
    int n = 0;
    const int refused[] = {
        sdk->libCR80EnumUsbPrt(nullptr, &n, &n),
        sdk->libCR80EnumUsbPrt(text, nullptr, &n),
        sdk->libCR80SelectPrt(nullptr),
        sdk->libCR80SelectPrt(""),
        sdk->libCR80IsFeederNoEmpty("T1", nullptr),
        sdk->libCR80GetCardPos(nullptr, &n),
        sdk->libCR80GetPrtInfo("T1", text, 0),
        sdk->libCR80GetRbnAndFilmRemaining("T1", nullptr),
        sdk->libCR80TranslateSDKErrCode(0, nullptr, 10),
        sdk->libCR80CardInject(nullptr, 0),
        sdk->libCR80CardEject(nullptr, 4),
        sdk->libCR80PrepareCanvas(nullptr, 0, 0),
        sdk->libCR80SetFont("T1", nullptr, 30),
        sdk->libCR80SetFont("T1", "font.ttc", 0),
        sdk->libCR80DrawText("T1", nullptr, 0, 1, 1, 0, 0),
        sdk->libCR80DrawImage("T1", nullptr, 0, 0, 10, 10),
        sdk->libCR80DrawQRCode("T1", "abc", 0, 0, 0, 10),
        sdk->libCR80CommitCanvas("T1", nullptr, nullptr),
        sdk->libCR80GetPreviewImg("T1", nullptr, text, &n),
        sdk->libCR80PrintDraw("T1", nullptr, 100, 0, 0),
        sdk->libCR80PrintDraw("T1", text, 0, 0, 0),
        sdk->libCR80SetPreviewImg("T1", 0, 90, 0, 0, 0),
        sdk->libCR80SetEraseRect("T1", 0, 0, 1017, 10),
        sdk->libCR80SetEraseRect("T1", -1, 0, 10, 10),
    };
    for (size_t i = 0; i < sizeof refused / sizeof refused[0]; ++i)
        EXPECT_EQ(KQCR80_BAD_ARGUMENT, refused[i]) << "call " << i;

    // Canvas functions before any canvas.
    EXPECT_EQ(KQCR80_NO_CANVAS, sdk->libCR80DrawText("T1", "x", 0, 1, 1, 0, 0));
    EXPECT_EQ(KQCR80_NO_CANVAS, sdk->libCR80CommitCanvas("T1", nullptr, &n));
    EXPECT_EQ(KQCR80_NO_CANVAS, sdk->libCR80ClearCanvas("T1"));
    EXPECT_EQ(KQCR80_NO_CANVAS, sdk->libCR80GetPreviewImg("T1", text, text, &n));
    // Data that are no picture.
    EXPECT_EQ(KQCR80_BAD_LENGTH, sdk->libCR80PrintDraw("T1", "BM not a bitmap", 15, 0, 0));
}

TEST_F(Cr80Sdk, FunctionsWithoutMeaningSayNotSupported) {
    const int answers[] = {
        sdk->libCR80UsbSetTimeout(nullptr, 0),
        sdk->libCR80EnumTcpPrt(nullptr, nullptr, nullptr),
        sdk->libCR80TcpSetTimeout(nullptr, 0),
        sdk->libCR80PrtReset(nullptr),
        sdk->libCR80PrtRestart(nullptr),
        sdk->libCR80GetPrtManufInfo(nullptr, nullptr, 0),
        sdk->libCR80QueryPrtStatus(nullptr, nullptr),
        sdk->libCR80QueryPrtStatusEx(nullptr, nullptr, 0),
        sdk->libCR80TranslatePrtCode(nullptr, 0, nullptr, 0),
        sdk->libCR80GetSN(nullptr, nullptr, 0),
        sdk->libCR80RibbonSettingsRW(nullptr, 1, nullptr, 0),
        sdk->libCR80CardSettingsRW(nullptr, 1, nullptr, 0),
        sdk->libCR80EthernetSetup(nullptr, nullptr),
        sdk->libCR80SetCanvasPortrait(nullptr, 1),
        sdk->libCR80SetImgSharpness(nullptr, 0),
        sdk->libCR80SetCoatRgn(nullptr, 0, 0, 0, 0),
        sdk->libCR80SetYmcRgn(nullptr, 0, 0, 0, 0),
        sdk->libCR80SetKRgn(nullptr, 0, 0, 0, 0),
        sdk->libCR80SetHalfRibbonOffset(nullptr, 0),
        sdk->libCR80SetCodeColor(nullptr, 0, 0, 0),
        sdk->libCR80SetBarCodePara(nullptr, 0, 0, 0),
        sdk->libCR80SetTextRotation(nullptr, 90),
        sdk->libCR80SetImagePara(nullptr, 0, 0, 0),
        sdk->libCR80SetWaterMarkParam(nullptr, 0, 0),
        sdk->libCR80SetWaterMarkHalftone(nullptr, 0),
        sdk->libCR80SetHalftoneMethod(nullptr, 0),
        sdk->libCR80DrawBarCode(nullptr, nullptr, 0, 0, 0, 0),
        sdk->libCR80DrawWaterMark(nullptr, nullptr, 0, 0, 0, 0),
        sdk->libCR80CardMove(nullptr, 0),
        sdk->libCR80GetCardType(nullptr, nullptr),
        sdk->libCR80M1CardGetSN(nullptr, nullptr, 0),
        sdk->libCR80M1CardPwdAuth(nullptr, 0, 0, nullptr),
        sdk->libCR80M1CardRead(nullptr, 0, nullptr, 0),
        sdk->libCR80M1CardWrite(nullptr, 0, nullptr, 0),
        sdk->libCR80CardRecycling(nullptr),
        sdk->libCR80CardInjectStop(nullptr),
        sdk->libCR80CardInjectPlus(nullptr, 0, 0),
        sdk->libCR80CardEjectHoldingSettingsRW(nullptr, 0, nullptr),
        sdk->libCR80PreCardInject(nullptr, 0),
        sdk->libCR80PrePrintDraw(nullptr, nullptr, 0),
    };
    for (size_t i = 0; i < sizeof answers / sizeof answers[0]; ++i)
        EXPECT_EQ(KQCR80_NOT_SUPPORTED, answers[i]) << "call " << i;
}

TEST_F(Cr80Sdk, ErrorTextsAreCutAtCharacterBoundaries) {
    char text[64];
    ASSERT_EQ(0, sdk->libCR80TranslateSDKErrCode(KQCR80_NOT_SUPPORTED, text, sizeof text));
    EXPECT_STREQ("功能不支持", text);
    ASSERT_EQ(0, sdk->libCR80TranslateSDKErrCode(KQCR80_NOT_SUPPORTED, text, 5));
    EXPECT_STREQ("功", text);
    ASSERT_EQ(0, sdk->libCR80TranslateSDKErrCode(601, text, sizeof text));
    EXPECT_STREQ("没有该序列号的打印机", text);
    ASSERT_EQ(0, sdk->libCR80TranslateSDKErrCode(12345, text, sizeof text));
    EXPECT_STREQ("未知错误代码", text);
}

TEST_F(Cr80Sdk, CanvasGivesPrintDataOfTheCard) {
    ASSERT_EQ(KQCR80_OK, sdk->libCR80PrepareCanvas("T1", 0, 0));
    // A missing font file falls back to a CJK font and still draws.
    testing::internal::CaptureStderr();
    ASSERT_EQ(KQCR80_OK, sdk->libCR80SetFont("T1", "./fonts/missing.ttc", 30));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStderr().find("\"./fonts/missing.ttc\" not found"));
    testing::internal::CaptureStdout();
    ASSERT_EQ(KQCR80_OK, sdk->libCR80DrawText("T1", "样本 ABC", 0, 100, 200, 0, 0));
    testing::internal::GetCapturedStdout();

    int size = 0;
    ASSERT_EQ(KQCR80_OK, sdk->libCR80CommitCanvas("T1", nullptr, &size));
    ASSERT_GT(size, 54);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    int small = size - 1;
    EXPECT_EQ(KQCR80_BAD_LENGTH, sdk->libCR80CommitCanvas("T1", data.data(), &small));
    EXPECT_EQ(size, small) << "the size needed";
    const std::vector<uint8_t> upright = commit();

    kqcr80::Picture picture;
    ASSERT_TRUE(kqcr80::decodeBmp(upright.data(), upright.size(), &picture));
    ASSERT_EQ(1016, picture.width);
    ASSERT_EQ(648, picture.height);
    int inside = 0, outside = 0;
    for (int y = 0; y < 648; ++y)
        for (int x = 0; x < 1016; ++x)
            if (picture.dark[static_cast<size_t>(y) * 1016 + x])
                (x >= 100 && x < 260 && y > 165 && y < 210 ? inside : outside)++;
    EXPECT_GT(inside, 200);
    EXPECT_EQ(0, outside);
    // A truncated picture is refused.
    EXPECT_FALSE(kqcr80::decodeBmp(upright.data(), upright.size() - 1, &picture));

    ASSERT_EQ(KQCR80_OK, sdk->libCR80SetPreviewImg("T1", 0, 180, 0, 0, 0));
    const std::vector<uint8_t> turned = commit();
    kqcr80::Picture a, b;
    ASSERT_TRUE(kqcr80::decodeBmp(upright.data(), upright.size(), &a));
    ASSERT_TRUE(kqcr80::decodeBmp(turned.data(), turned.size(), &b));
    const std::vector<uint8_t> ra = kqcr80::toRaster(a), rb = kqcr80::toRaster(b);
    int differing = 0;
    for (int r = 0; r < kqcr80::kRasterRows; ++r)
        for (int d = 0; d < kqcr80::kRasterDots; ++d) {
            const auto bit = [](const std::vector<uint8_t>& v, int row, int dot) {
                return (v[static_cast<size_t>(row) * kqcr80::kRasterRowBytes + dot / 8] >>
                        (7 - dot % 8)) &
                       1;
            };
            differing += bit(ra, r, d) != bit(rb, 943 - r, 671 - d);
        }
    EXPECT_EQ(0, differing);

    cr80test::TempTree tree;
    std::vector<char> path(KQCR80_PATH_CAPACITY, 0);
    const std::string name = tree.root() + "/preview.bmp";
    std::memcpy(path.data(), name.c_str(), name.size() + 1);
    int length = 0;
    ASSERT_EQ(KQCR80_OK, sdk->libCR80GetPreviewImg("T1", turned.data(), path.data(), &length));
    EXPECT_EQ(name, path.data());
    EXPECT_EQ(static_cast<int>(name.size()), length);
    EXPECT_TRUE(cr80test::readFile(name) == std::string(turned.begin(), turned.end()));
}

}  // namespace

// The hand-made BMP of a QR symbol.
#include <gtest/gtest.h>
#include <qrencode.h>

#include <memory>
#include <vector>

#include "QrBitmap.h"
#include "TestSupport.h"

namespace cardpaint_test {
namespace {

struct FreeQr {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

TEST(QrBitmap, AbcIsVersion3With29ModulesAnd232Pixels) {
    std::unique_ptr<QRcode, FreeQr> code(QRcode_encodeString("abc", 3, QR_ECLEVEL_M, QR_MODE_8, 1));
    ASSERT_TRUE(code);
    EXPECT_EQ(code->version, 3);
    ASSERT_EQ(code->width, 29);
    size_t size = 0;
    cardpaint::BitmapBytes bmp = cardpaint::renderQrBitmap(code->data, code->width, size);
    ASSERT_TRUE(bmp);
    const std::vector<unsigned char> bytes(bmp.get(), bmp.get() + size);
    EXPECT_EQ(size, 54u + 232u * 232u * 3u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(le32(bytes, 2), size);
    EXPECT_EQ(le32(bytes, 10), 54u);
    EXPECT_EQ(le32(bytes, 14), 40u);
    EXPECT_EQ(bmpWidth(bytes), 232);
    EXPECT_EQ(bmpHeight(bytes), -232) << "rows top-down";
    EXPECT_EQ(le16(bytes, 26), 1);
    EXPECT_EQ(bmpBitsPerPixel(bytes), 24);
    EXPECT_EQ(le32(bytes, 30), 0u) << "uncompressed";

    const Magick::Image picture = decode(bytes);
    ASSERT_EQ(picture.columns(), 232u);
    ASSERT_EQ(picture.rows(), 232u);
    for (int my = 0; my < 29; ++my) {
        for (int mx = 0; mx < 29; ++mx) {
            const bool moduleDark = code->data[my * 29 + mx] & 1;
            // Both corners of every 8 x 8 block show the module.
            ASSERT_EQ(dark(picture, mx * 8, my * 8), moduleDark) << mx << "," << my;
            ASSERT_EQ(dark(picture, mx * 8 + 7, my * 8 + 7), moduleDark) << mx << "," << my;
        }
    }
}

TEST(QrBitmap, NoMemoryGivesNoPictureInsteadOfEndingTheProcess) {
    const unsigned char modules[4] = {1, 0, 0, 1};
    size_t size = 99;
    const cardpaint::BitmapBytes bmp =
        cardpaint::renderQrBitmap(modules, 2, size, [](size_t) -> void* { return nullptr; });
    EXPECT_FALSE(bmp);
    EXPECT_EQ(size, 0u);
}

TEST(QrBitmap, RefusesSidesNoSymbolHas) {
    const unsigned char modules[1] = {1};
    size_t size = 0;
    EXPECT_FALSE(cardpaint::renderQrBitmap(modules, 0, size));
    EXPECT_FALSE(cardpaint::renderQrBitmap(modules, -3, size));
    EXPECT_FALSE(cardpaint::renderQrBitmap(nullptr, 1, size));
    EXPECT_TRUE(cardpaint::renderQrBitmap(modules, 1, size));
    EXPECT_EQ(size, 54u + 8u * 8u * 3u);
}

}  // namespace
}  // namespace cardpaint_test

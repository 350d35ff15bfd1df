// Generated preview file names.
#include <gtest/gtest.h>

#include <cstdint>

#include "PreviewName.h"

namespace {

const void* handle(uintptr_t value) {
    return reinterpret_cast<const void*>(value);
}

TEST(PreviewName, ChinaTimeWithTheDateCarried) {
    // 2 March 2024 17:05:09 UTC is 3 March 01:05:09 in UTC+8.
    EXPECT_EQ(cardpaint::previewFileName(handle(0x1A2B3C), 1709399109),
              "1A2B3C_base64_20240303_010509.BMP");
    // 31 December 2023 20:00:00 UTC carries into the new year.
    EXPECT_EQ(cardpaint::previewFileName(handle(0xabc), 1704052800),
              "ABC_base64_20240101_040000.BMP");
}

TEST(PreviewName, KeepsTheLow32BitsOfTheHandle) {
    if (sizeof(uintptr_t) < 8) {
        GTEST_SKIP() << "32-bit handles";
    }
    const uintptr_t wide = static_cast<uintptr_t>(0x7F12ull << 32) | 0xDEADBEEFu;
    EXPECT_EQ(cardpaint::previewFileName(handle(wide), 0), "DEADBEEF_base64_19700101_080000.BMP");
}

}  // namespace

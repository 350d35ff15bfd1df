#include "board/InfoBlock.h"

#include <mbedtls/des.h>

#include <algorithm>

namespace ksim::board {

namespace {

const unsigned char kBlockKey[16] = {0x5C, 0x2D, 0x91, 0xF0, 0x4B, 0x7E, 0x38, 0xA6,
                                     0xD0, 0xC9, 0xE4, 0x17, 0x2F, 0x8B, 0x30, 0x65};
constexpr size_t kCipherFirst = 1;
constexpr size_t kCipherBlocks = 7;

void cryptBlocks(Bytes& block, bool encipher) {
    mbedtls_des3_context ctx;
    mbedtls_des3_init(&ctx);
    if (encipher) {
        mbedtls_des3_set2key_enc(&ctx, kBlockKey);
    } else {
        mbedtls_des3_set2key_dec(&ctx, kBlockKey);
    }
    for (size_t i = 0; i < kCipherBlocks; ++i) {
        unsigned char* p = block.data() + kCipherFirst + 8 * i;
        unsigned char out[8];
        mbedtls_des3_crypt_ecb(&ctx, p, out);
        std::copy(out, out + 8, p);
    }
    mbedtls_des3_free(&ctx);
}

}  // namespace

Bytes infoBlock(const BoardConfig& c) {
    Bytes b(64, 0);
    b[1] = 0x01;
    b[2] = 0x01;
    b[3] = 0x02;
    std::copy_n(c.deviceId.begin(), std::min<size_t>(7, c.deviceId.size()), b.begin() + 4);
    std::copy_n(c.printerId.begin(), std::min<size_t>(11, c.printerId.size()), b.begin() + 11);
    std::copy_n(c.qrReaderId.begin(), std::min<size_t>(12, c.qrReaderId.size()), b.begin() + 22);
    b[40] = 0x20;
    b[41] = 0x19;
    b[42] = 0x08;
    uint8_t sum = 0;
    for (size_t i = 1; i <= 42; ++i) sum ^= b[i];
    b[0] = sum;
    b[63] = 0xFE;
    if (c.enciphered) {
        cryptBlocks(b, true);
        b[63] = 0xFD;
    }
    return b;
}

bool decipherInfoBlock(Bytes& block) {
    if (block.size() != 64) return false;
    if (block[63] == 0xFD) cryptBlocks(block, false);
    return block[63] == 0xFD || block[63] == 0xFE;
}

}  // namespace ksim::board

// Buffer-level DES and triple-DES helpers on mbed TLS: the block loop, zero
// padding, key doubling and wiping of the key schedule.
#include <mbedtls/des.h>
#include <mbedtls/platform_util.h>

#include <cstring>

#include "link/include/devlink.h"

namespace {

constexpr unsigned int kBlock = 8;

// Key schedules live on the stack and are wiped when they go out of scope.
struct DesKey {
    mbedtls_des_context ctx;
    DesKey() { mbedtls_des_init(&ctx); }
    ~DesKey() { mbedtls_des_free(&ctx); }
};

struct Des3Key {
    mbedtls_des3_context ctx;
    Des3Key() { mbedtls_des3_init(&ctx); }
    ~Des3Key() { mbedtls_des3_free(&ctx); }
};

// Sets up a triple-DES schedule from an 8-byte (doubled), 16- or 24-byte key.
bool setDes3Key(Des3Key& schedule, const unsigned char* key, unsigned int keyLen, bool encrypt) {
    if (key == nullptr || (keyLen != 8 && keyLen != 16 && keyLen != 24)) return false;
    unsigned char work[32] = {};
    std::memcpy(work, key, keyLen);
    if (keyLen == 8) std::memcpy(work + 8, key, 8);
    int rc;
    if (keyLen == 24) {
        rc = encrypt ? mbedtls_des3_set3key_enc(&schedule.ctx, work)
                     : mbedtls_des3_set3key_dec(&schedule.ctx, work);
    } else {
        rc = encrypt ? mbedtls_des3_set2key_enc(&schedule.ctx, work)
                     : mbedtls_des3_set2key_dec(&schedule.ctx, work);
    }
    mbedtls_platform_zeroize(work, sizeof(work));
    return rc == 0;
}

bool setDesKey(DesKey& schedule, const unsigned char* key, bool encrypt) {
    if (key == nullptr) return false;
    const int rc = encrypt ? mbedtls_des_setkey_enc(&schedule.ctx, key)
                           : mbedtls_des_setkey_dec(&schedule.ctx, key);
    return rc == 0;
}

// ECB over whole blocks, then the zero-padded last partial block; returns the padded length.
template <class Crypt>
unsigned int ecbPadded(unsigned char* out, const unsigned char* in, unsigned int len, Crypt crypt) {
    const unsigned int whole = len - len % kBlock;
    for (unsigned int i = 0; i < whole; i += kBlock) crypt(in + i, out + i);
    if (whole == len) return len;
    unsigned char last[kBlock] = {};
    std::memcpy(last, in + whole, len - whole);
    crypt(last, out + whole);
    return whole + kBlock;
}

// CBC encryption with a zero-padded copy of the last partial block.
unsigned int des3CbcEncryptPadded(Des3Key& schedule, unsigned char* out, const unsigned char* in,
                                  unsigned int len, unsigned char iv[8]) {
    const unsigned int whole = len - len % kBlock;
    if (whole > 0) mbedtls_des3_crypt_cbc(&schedule.ctx, MBEDTLS_DES_ENCRYPT, whole, iv, in, out);
    if (whole < len) {
        unsigned char last[kBlock] = {};
        std::memcpy(last, in + whole, len - whole);
        mbedtls_des3_crypt_cbc(&schedule.ctx, MBEDTLS_DES_ENCRYPT, kBlock, iv, last, out + whole);
    }
    return len;
}

}  // namespace

extern "C" {

unsigned int des_ecb_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key) {
    DesKey schedule;
    if (!setDesKey(schedule, key, true)) return 0;
    return ecbPadded(out, in, len, [&](const unsigned char* src, unsigned char* dst) {
        mbedtls_des_crypt_ecb(&schedule.ctx, src, dst);
    });
}

unsigned int des_ecb_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key) {
    if (len % kBlock != 0) return 1;
    DesKey schedule;
    if (!setDesKey(schedule, key, false)) return 1;
    for (unsigned int i = 0; i < len; i += kBlock)
        mbedtls_des_crypt_ecb(&schedule.ctx, in + i, out + i);
    return 0;
}

unsigned int des_cbc_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key, unsigned char* iv) {
    if (len % kBlock != 0) return len;
    DesKey schedule;
    if (!setDesKey(schedule, key, true)) return len;
    unsigned char zero[kBlock] = {};
    mbedtls_des_crypt_cbc(&schedule.ctx, MBEDTLS_DES_ENCRYPT, len, iv != nullptr ? iv : zero, in,
                          out);
    return len;
}

unsigned int des_cbc_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                             const unsigned char* key, unsigned char* iv) {
    if (len % kBlock != 0) return 0;
    DesKey schedule;
    if (!setDesKey(schedule, key, false)) return 0;
    unsigned char zero[kBlock] = {};
    mbedtls_des_crypt_cbc(&schedule.ctx, MBEDTLS_DES_DECRYPT, len, iv != nullptr ? iv : zero, in,
                          out);
    return 0;
}

unsigned int des3_ecb_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen) {
    Des3Key schedule;
    if (!setDes3Key(schedule, key, keyLen, true)) return 0;
    return ecbPadded(out, in, len, [&](const unsigned char* src, unsigned char* dst) {
        mbedtls_des3_crypt_ecb(&schedule.ctx, src, dst);
    });
}

unsigned int des3_ecb_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen) {
    if (len % kBlock != 0) return 1;
    Des3Key schedule;
    if (!setDes3Key(schedule, key, keyLen, false)) return 1;
    for (unsigned int i = 0; i < len; i += kBlock) {
        mbedtls_des3_crypt_ecb(&schedule.ctx, in + i, out + i);
    }
    return len;
}

unsigned int des3_cbc_encrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen, unsigned char* iv) {
    if (keyLen == 8) return 0;
    Des3Key schedule;
    if (!setDes3Key(schedule, key, keyLen, true)) return 0;
    unsigned char zero[kBlock] = {};
    return des3CbcEncryptPadded(schedule, out, in, len, iv != nullptr ? iv : zero);
}

unsigned int des3_cbc_decrypt(unsigned char* out, const unsigned char* in, unsigned int len,
                              const unsigned char* key, unsigned int keyLen, unsigned char* iv) {
    if (len % kBlock != 0 || keyLen == 8) return 1;
    Des3Key schedule;
    if (!setDes3Key(schedule, key, keyLen, false)) return 1;
    unsigned char zero[kBlock] = {};
    if (len > 0) {
        mbedtls_des3_crypt_cbc(&schedule.ctx, MBEDTLS_DES_DECRYPT, len, iv != nullptr ? iv : zero,
                               in, out);
    }
    return len;
}

unsigned int des3_ecb_encrypt2(int mode, unsigned char* out, const unsigned char* in,
                               unsigned int len, const unsigned char* key, unsigned int keyLen) {
    if (mode == 0) return des3_ecb_encrypt(out, in, len, key, keyLen);
    Des3Key schedule;
    if (!setDes3Key(schedule, key, keyLen, true)) return 0;
    unsigned char iv[kBlock] = {};
    return des3CbcEncryptPadded(schedule, out, in, len, iv);
}

unsigned int des3_ecb_decrypt2(int mode, unsigned char* out, const unsigned char* in,
                               unsigned int len, const unsigned char* key, unsigned int keyLen) {
    if (mode == 0) return des3_ecb_decrypt(out, in, len, key, keyLen);
    if (len < kBlock) return len;
    Des3Key schedule;
    if (!setDes3Key(schedule, key, keyLen, false)) return 1;
    unsigned char iv[kBlock] = {};
    mbedtls_des3_crypt_cbc(&schedule.ctx, MBEDTLS_DES_DECRYPT, len - len % kBlock, iv, in, out);
    return len;
}

}  // extern "C"

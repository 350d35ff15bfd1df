#include "mechanism/InfoBlock.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "devlink.h"

const unsigned char kInfoBlockKey[16] = {0x5C, 0x2D, 0x91, 0xF0, 0x4B, 0x7E, 0x38, 0xA6,
                                         0xD0, 0xC9, 0xE4, 0x17, 0x2F, 0x8B, 0x30, 0x65};

namespace {

constexpr unsigned char kPlainMarker = 0xFE;
constexpr unsigned char kCipherMarker = 0xFD;
constexpr int kCipherStart = 1;
constexpr int kCipherLength = 56;
constexpr int kChecksumEnd = 42;

std::string hexText(const unsigned char* bytes, int count) {
    std::string text;
    char pair[3];
    for (int i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof(pair), "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

}  // namespace

int decodeInfoBlock(const unsigned char* reply, int len, DeviceInfo* info) {
    if (reply == nullptr || len < kInfoBlockSize) return kBadInfoMarker;
    unsigned char block[kInfoBlockSize];
    std::memcpy(block, reply, sizeof(block));
    const unsigned char marker = block[kInfoBlockSize - 1];
    if (marker != kPlainMarker && marker != kCipherMarker) return kBadInfoMarker;
    if (marker == kCipherMarker) {
        unsigned char plain[kCipherLength];
        des3_ecb_decrypt(plain, block + kCipherStart, kCipherLength, kInfoBlockKey,
                         sizeof(kInfoBlockKey));
        std::memcpy(block + kCipherStart, plain, kCipherLength);
    }
    unsigned char sum = 0;
    for (int i = 1; i <= kChecksumEnd; ++i) sum ^= block[i];
    if (sum != block[0]) return kBadInfoChecksum;

    setInfoText(info->pici, hexText(block + 40, 3));
    // The stored id drops the first hex digit and repeats the seventh.
    const std::string id = hexText(block + 4, 7);
    setInfoText(info->DevID, id.substr(1, 6) + id.substr(6));
    setInfoText(info->SerialNumber, info->DevID, sizeof(info->DevID));
    setInfoText(info->PrinterID, reinterpret_cast<const char*>(block + 11), 11);
    setInfoText(info->QRCodeGun, reinterpret_cast<const char*>(block + 22), 12);
    info->MarkValue = block[1];
    setInfoText(info->Board, std::to_string((block[2] << 4) | block[3]));
    return 0;
}

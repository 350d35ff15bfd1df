// The 64-byte device information block a board returns for its flash read.
#pragma once

#include "mechanism/DeviceInfo.h"

constexpr int kInfoBlockSize = 64;
constexpr int kBadInfoMarker = 17927;    // 0x4607
constexpr int kBadInfoChecksum = 17928;  // 0x4608

// Checks the block's marker and checksum (deciphering it first when its marker
// says so) and fills the block fields of info. A reply shorter than the block
// has no marker byte and is refused as a bad marker; bytes past the block are
// ignored. Returns 0, kBadInfoMarker or kBadInfoChecksum.
int decodeInfoBlock(const unsigned char* reply, int len, DeviceInfo* info);

// The fixed two-key triple-DES key of enciphered blocks.
extern const unsigned char kInfoBlockKey[16];

#pragma once
// The 64-byte device information block a board returns for its flash read:
//   0 checksum (XOR of bytes 1..42), 1 mark value, 2-3 board value, 4-10 device id,
//   11-21 printer id, 22-33 QR-code reader id, 40-42 pici, 63 format marker
// (FE plain; FD when bytes 1..56 are two-key triple-DES ECB enciphered).
#include "board/BoardConfig.h"
#include "core/Hex.h"

namespace ksim::board {

Bytes infoBlock(const BoardConfig& config);

// Deciphers an FD block in place (FE blocks are left as they are); for tests and logs.
bool decipherInfoBlock(Bytes& block);

}  // namespace ksim::board

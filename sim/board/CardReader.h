#pragma once
// The card in the board's reader, as the card commands 0211 and 0311 see it: the
// board passes the command data to the card as an APDU and adds the card's status
// word SW1 SW2 to the reply.
#include <cstdint>

#include "core/Hex.h"

namespace ksim::board {

constexpr uint16_t kSwDone = 0x9000;
constexpr uint16_t kSwWrongLength = 0x6700;
constexpr uint16_t kSwNoCard = 0x6A82;

// A short APDU: CLA INS P1 P2, then nothing, Le, Lc and Lc data bytes, or Lc, the
// data and Le.
bool wellFormedApdu(const Bytes& apdu);

// The status word for `apdu` with or without a card at the reader.
uint16_t cardStatusWord(bool cardPresent, const Bytes& apdu);

}  // namespace ksim::board

#include "board/CardReader.h"

namespace ksim::board {

bool wellFormedApdu(const Bytes& apdu) {
    const size_t n = apdu.size();
    if (n == 4 || n == 5) return true;
    if (n < 6) return false;
    const size_t lc = apdu[4];
    return lc != 0 && (n == 5 + lc || n == 6 + lc);
}

uint16_t cardStatusWord(bool cardPresent, const Bytes& apdu) {
    if (!cardPresent) return kSwNoCard;
    return wellFormedApdu(apdu) ? kSwDone : kSwWrongLength;
}

}  // namespace ksim::board

#pragma once
// A serial line's setting (speed and character frame) as the board runs it and as the
// host set its side. Bytes that cross a line whose two ends disagree arrive garbled,
// as on a real line: each byte becomes a garbage byte, and some are lost to framing
// errors.
#include <termios.h>

#include <optional>
#include <string>

#include "core/Hex.h"

namespace ksim::serial {

struct LineSetting {
    unsigned baud = 115200;  // 0: a speed without a name here
    unsigned bits = 8;
    char parity = 'N';  // 'N', 'E' or 'O'
    unsigned stop = 1;

    bool operator==(const LineSetting& o) const {
        return baud == o.baud && bits == o.bits && parity == o.parity && stop == o.stop;
    }
    bool operator!=(const LineSetting& o) const { return !(*this == o); }
};

// "115200 8N1".
std::string describe(const LineSetting& line);

// The setting a terminal's attributes describe. On a pseudo-terminal the character
// size always reads 8 bits, and parity shows in the input parity check (INPCK) and
// PARODD, as the kernel drops PARENB there.
LineSetting lineSettingOf(const termios& t);

// Takes the line's own keys out of a serial board's SETTINGS ("baud=9600",
// "frame=7E1"); the rest is left in `rest` for the board. False with a reason.
bool takeLineSettings(const std::string& settings, std::string& rest, LineSetting& line,
                      std::string* error);

// What the other end receives of `bytes` sent at the wrong setting: each byte replaced
// by a garbage byte that is never 0xAA, the bytes with framing errors dropped. The same
// bytes always come out the same way.
Bytes garbled(const Bytes& bytes);

}  // namespace ksim::serial

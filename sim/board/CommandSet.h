#pragma once
// The commands the board's firmware knows and the data lengths each one takes. A
// strict board refuses anything else the way its firmware refuses a command: a reply
// with a non-zero state byte and no data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ksim::board {

// State bytes of a refused command.
constexpr uint8_t kStateUnknownCommand = 0x01;  // not in this board's command set
constexpr uint8_t kStateBadLength = 0x02;       // the command's data have the wrong length

struct LengthRule {
    std::vector<std::pair<size_t, size_t>> ranges;  // inclusive

    bool accepts(size_t length) const;
    // "1 byte", "0 to 1 bytes", "0, 1 or 3 bytes".
    std::string text() const;
};

// The rule of a command of the board's command set; nullptr for any other command.
const LengthRule* lengthRule(uint16_t command);

// The command set with its lengths, for --help.
std::string commandSetHelp();

}  // namespace ksim::board

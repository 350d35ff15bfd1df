#pragma once
// The card mechanisms of the simulator's boards: created with each board, found
// again by the control actions.
#include <optional>
#include <string>

#include "board/mechanism/CardMechanism.h"

namespace ksim::board::mechanism {

// Takes the mechanism's own settings ("card=N") out of a board SETTINGS; the rest
// goes to the board's parser. False with a reason for a bad value.
bool takeSettings(const std::string& settings, std::string& rest, int& card, std::string* error);

// Gives `board` its card mechanism, the card at station `card` (kNoCard: none).
bool installMechanism(Board& board, int card, double speed, Journal& journal, std::string* error);
CardMechanism* mechanismOf(const Board* board);

// The mechanism's behaviour, for --help.
std::string helpText();

}  // namespace ksim::board::mechanism

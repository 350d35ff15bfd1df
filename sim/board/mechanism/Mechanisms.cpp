#include "board/mechanism/Mechanisms.h"

#include <map>
#include <memory>
#include <sstream>

namespace ksim::board::mechanism {

namespace {

// One mechanism per board, for the life of the process.
std::map<const Board*, std::unique_ptr<CardMechanism>>& mechanisms() {
    static std::map<const Board*, std::unique_ptr<CardMechanism>> table;
    return table;
}

}  // namespace

bool takeSettings(const std::string& settings, std::string& rest, int& card, std::string* error) {
    std::stringstream in(settings);
    std::string item;
    rest.clear();
    card = kNoCard;
    bool first = true;
    while (std::getline(in, item, ',')) {
        if (!first && item.rfind("card=", 0) == 0) {
            auto n = parseNumber(item.substr(5), 11);
            if (!n) {
                *error = "card '" + item.substr(5) + "': expected a station id 0..11";
                return false;
            }
            card = static_cast<int>(*n);
            continue;
        }
        if (!first) rest += ',';
        rest += item;
        first = false;
    }
    return true;
}

bool installMechanism(Board& board, int card, double speed, Journal& journal, std::string* error) {
    if (card != kNoCard && !physicalStation(board.config().deviceType, card)) {
        *error = "card=" + std::to_string(card) + ": this model has no such station";
        return false;
    }
    auto m = std::make_unique<CardMechanism>(board, card, speed, journal);
    m->install();
    mechanisms()[&board] = std::move(m);
    return true;
}

CardMechanism* mechanismOf(const Board* board) {
    auto it = mechanisms().find(board);
    return it == mechanisms().end() ? nullptr : it->second.get();
}

std::string helpText() {
    return "Every board carries one card mechanism. Stations are the ids of the model's "
           "station table; card=N in the board SETTINGS lays the card at station N at start "
           "(no card by default). The sensors 1002 reports follow the card, laid out per "
           "model so that the model's state document names the card's station (no model "
           "reports the printer station 5 or the detain bin 8; models 09 and 19 see a card "
           "in the printer on their printer-side sensor s7). 4003 sets the mode. Feeding in "
           "(4001, and 400D from firmware 20180815 on) takes a card from the slot, the "
           "printer side or the transfer module to the reader (model 02: to the pre-print "
           "position; models 09 and 19 with mode 1: back to the QR-code station); with no "
           "card the rollers run and nothing arrives, so the driver's polling times out. "
           "Feeding out (4002) with mode 0 sends the card into the printer, with any other "
           "mode to the front slot. 4006 drops the card into the detain bin. Models 09 and "
           "19: 4009 turns the transfer module, 4008 carries the card from the track into "
           "it, 400A resets it (firmware 20180815 on; older firmware answers 400D and 400A "
           "with state 01). A move the mechanism cannot make (no card, the card already "
           "there) is answered with state 00 and moves nothing. Times at --speed 1: feed "
           "800 ms, detain 1000, module turn 500, module move 700, reset 1500; models 09 "
           "and 19 answer when the move is done, the others at once while the card "
           "travels.";
}

}  // namespace ksim::board::mechanism

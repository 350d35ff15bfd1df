#include "board/mechanism/CardMechanism.h"

#include <cstdlib>

#include "board/CardReader.h"
#include "board/CommandSet.h"

namespace ksim::board::mechanism {

namespace {

constexpr long kLastFirmwareWithoutModule = 20180814;

bool firmwareHasModule(const BoardConfig& config) {
    return std::strtol(config.firmware.c_str(), nullptr, 10) > kLastFirmwareWithoutModule;
}

std::string stationText(int at) {
    return at == kNoCard ? std::string("none") : std::to_string(at);
}

}  // namespace

CardMechanism::CardMechanism(Board& board, int card, double speed, Journal& journal, Now now)
    : board_(board),
      model_(board.config().deviceType),
      moduleFirmware_(firmwareHasModule(board.config())),
      speed_(speed),
      journal_(journal),
      now_(std::move(now)) {
    if (card != kNoCard) card_ = physicalStation(model_, card).value_or(kNoCard);
    from_ = card_;
    arrival_ = now_();
}

void CardMechanism::install() {
    auto bind = [this](Answer (CardMechanism::*f)(const Request&)) {
        return [this, f](Board&, const Request& r) { return (this->*f)(r); };
    };
    board_.setHandler(0x4003, bind(&CardMechanism::prepare));
    board_.setHandler(0x4001, [this](Board&, const Request& r) { return feedIn(r, false); });
    board_.setHandler(0x400D, [this](Board&, const Request& r) { return feedIn(r, true); });
    board_.setHandler(0x4002, bind(&CardMechanism::feedOut));
    board_.setHandler(0x4006, bind(&CardMechanism::detain));
    board_.setHandler(0x1002, bind(&CardMechanism::sensorRead));
    board_.setHandler(0x0009, bind(&CardMechanism::powerOff));
    board_.setHandler(0x400A, bind(&CardMechanism::moduleReset));
    board_.setHandler(0x4009, bind(&CardMechanism::modulePosition));
    board_.setHandler(0x4008, bind(&CardMechanism::moduleMove));
    // Motor run and stop, the stop after a feed out and the flash write change nothing
    // the simulation shows.
    auto done = [](Board&, const Request&) { return Answer{}; };
    board_.setHandler(0x1003, done);
    board_.setHandler(0x1004, done);
    board_.setHandler(0x4004, done);
    board_.setHandler(0x1009, done);
    board_.setHandler(0x0211, bind(&CardMechanism::cardCommand));
    board_.setHandler(0x0311, bind(&CardMechanism::cardCommand));
    board_.setHandler(0x100F, [](Board&, const Request& r) {
        // The board's cipher unit is not simulated: the data come back as they went.
        Answer a;
        if (r.data.size() > 3) a.data.assign(r.data.begin() + 3, r.data.end());
        return a;
    });
    // Without a card the board keeps the sensor bytes it starts with (no card seen).
    lastSensors_ = wireSensors(cardBits(model_, card_));
    if (card_ != kNoCard) board_.setSensors(*lastSensors_);
}

void CardMechanism::settle() {
    if (from_ != card_ && now_() >= arrival_) from_ = card_;
}

int CardMechanism::card() {
    settle();
    return from_ == card_ ? card_ : from_;
}

bool CardMechanism::inMechanism(int at) const {
    return at != kNoCard && at != station::kDetain;
}

uint8_t CardMechanism::modeOf(const Request& request) const {
    return request.data.empty() ? mode_ : request.data[0];
}

Answer CardMechanism::move(int to, double ms, const std::string& why) {
    settle();
    const int was = card_;
    card_ = to;
    arrival_ = now_() + std::chrono::microseconds(static_cast<long long>(ms * speed_ * 1000));
    if (ms * speed_ <= 0 || hasTransferModule(model_)) from_ = to;
    Json::Value ev;
    ev["from"] = was;
    ev["to"] = to;
    ev["ms"] = ms * speed_;
    ev["why"] = why;
    journal_.event(board_.name(), "card", ev);
    journal_.change(board_.name(), "card " + stationText(was) + " -> " + stationText(to));
    Answer answer;
    if (hasTransferModule(model_)) answer.ms = ms;
    return answer;
}

Answer CardMechanism::prepare(const Request& request) {
    if (!request.data.empty()) mode_ = request.data[0];
    return Answer{};
}

Answer CardMechanism::feedIn(const Request& request, bool withModule) {
    if (withModule && !hasTransferModule(model_) && board_.strict()) {
        return board_.unknownCommand(request);
    }
    if (withModule && !moduleFirmware_) return Answer{kStateUnknownCommand, {}, 0};
    settle();
    if (!inMechanism(card_)) return Answer{};  // the rollers run; no card arrives
    const bool rollBack = modeOf(request) == 1 && card_ != station::kSlot;
    int to = station::kReader;
    // The 2019 short model carries the card on to the pre-print position.
    if (model_ == 0x02) to = station::kPrePrint;
    if (rollBack && hasTransferModule(model_)) to = physicalStation(model_, 3).value();
    if (to == card_) return Answer{};
    Answer answer = move(to, kFeedMs, rollBack ? "roll back" : "feed in");
    if (withModule) {
        modulePosition_ = 0;
        moduleReady_ = false;
    }
    return answer;
}

Answer CardMechanism::feedOut(const Request& request) {
    settle();
    if (!inMechanism(card_)) return Answer{};
    const int to = modeOf(request) == 0 ? station::kPrinter : station::kSlot;
    if (to == card_) return Answer{};
    return move(to, kFeedMs, to == station::kSlot ? "eject to the slot" : "eject to the printer");
}

Answer CardMechanism::detain(const Request&) {
    settle();
    Answer answer{0, {}, kDetainMs};
    if (!inMechanism(card_) || card_ == station::kPrinter) return answer;
    move(station::kDetain, kDetainMs, "detain");
    from_ = card_;
    ++detained_;
    return answer;
}

Answer CardMechanism::sensorRead(const Request& request) {
    // Three parameter bytes make it a motor step.
    if (request.data.size() == 3) return Answer{};
    const Bytes wire = wireSensors(cardBits(model_, card()));
    // An operator's "sensors" setting holds until the card moves again.
    if (!lastSensors_ || *lastSensors_ != wire) {
        board_.setSensors(wire);
        lastSensors_ = wire;
    }
    return Answer{0, board_.sensors(), 0};
}

Answer CardMechanism::moduleReset(const Request& request) {
    if (!hasTransferModule(model_) && board_.strict()) return board_.unknownCommand(request);
    if (!hasTransferModule(model_) || !moduleFirmware_) return Answer{kStateUnknownCommand, {}, 0};
    modulePosition_ = 0;
    moduleReady_ = true;
    journal_.change(board_.name(), "transfer module reset");
    return Answer{0, {}, kModuleResetMs};
}

Answer CardMechanism::modulePosition(const Request& request) {
    if (!hasTransferModule(model_)) return board_.unknownCommand(request);
    modulePosition_ = request.data.empty() ? 0 : request.data[0];
    journal_.change(board_.name(), "transfer module position " + std::to_string(modulePosition_));
    return Answer{0, {}, kModuleTurnMs};
}

Answer CardMechanism::moduleMove(const Request& request) {
    if (!hasTransferModule(model_)) return board_.unknownCommand(request);
    settle();
    const bool onTrack = card_ == station::kSlot || card_ == station::kReader ||
                         card_ == station::kQRCode || card_ == station::kBeforeTransfer;
    if (!onTrack) return Answer{0, {}, kModuleMoveMs};
    cardSide_ = modulePosition_;
    return move(station::kTransfer, kModuleMoveMs,
                "through the transfer module at position " + std::to_string(modulePosition_));
}

Answer CardMechanism::powerOff(const Request& request) {
    const int tenths = request.data.size() > 1 ? request.data[1] : 0;
    journal_.change(board_.name(), "power off in " + std::to_string(tenths * 100) + " ms");
    return Answer{};
}

Answer CardMechanism::cardCommand(const Request& request) {
    // A lenient board answers without a card's status word, as it always did.
    if (!board_.strict()) return Answer{};
    const bool present = card() == station::kReader;
    const uint16_t sw = cardStatusWord(present, request.data);
    Answer a;
    a.data = {static_cast<uint8_t>(sw >> 8), static_cast<uint8_t>(sw & 0xFF)};
    a.statusWord = true;
    if (sw != kSwDone) {
        journal_.note(board_.name(), "card",
                      std::string(present ? "APDU " + toHex(request.data) + " is malformed"
                                          : "no card in the reader") +
                          ": status word " + toHex(a.data));
    }
    return a;
}

bool CardMechanism::insertCard(std::string& error) {
    settle();
    if (inMechanism(card_)) {
        error = "there is a card in the mechanism already (at " + stationText(card()) + ")";
        return false;
    }
    from_ = card_ = station::kSlot;
    journal_.change(board_.name(), "card inserted at the slot");
    return true;
}

bool CardMechanism::takeCard(std::string& error) {
    if (card() != station::kSlot || card_ != station::kSlot) {
        error = "no card at the slot (the card is at " + stationText(card()) + ")";
        return false;
    }
    from_ = card_ = kNoCard;
    journal_.change(board_.name(), "card taken from the slot");
    return true;
}

bool CardMechanism::placeCard(int at, std::string& error) {
    if (at == kNoCard) {
        from_ = card_ = kNoCard;
        return true;
    }
    auto place = physicalStation(model_, at);
    if (!place) {
        error = "model " + std::to_string(model_) + " has no station " + std::to_string(at);
        return false;
    }
    from_ = card_ = *place;
    journal_.change(board_.name(), "card placed at " + std::to_string(*place));
    return true;
}

Json::Value CardMechanism::status() {
    Json::Value v;
    v["board"] = board_.index();
    const int at = card();
    v["card"] = at;
    v["moving_to"] = card_ != at ? Json::Value(card_) : Json::Value();
    v["detained"] = detained_;
    v["mode"] = mode_;
    if (hasTransferModule(model_)) {
        v["module_position"] = modulePosition_;
        v["module_ready"] = moduleReady_;
        v["card_side"] = cardSide_;
    }
    v["module_commands"] = moduleFirmware_ && hasTransferModule(model_);
    v["sensors"] = toHex(wireSensors(cardBits(model_, at)));
    return v;
}

}  // namespace ksim::board::mechanism

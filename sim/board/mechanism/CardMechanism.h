#pragma once
// The card transport of a simulated board: one card that moves between the
// stations when the board is told to feed, eject, detain or turn it, taking the
// time a real mechanism takes; the sensors the board reports follow the card.
// Runs on the event loop thread like the board it serves.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "board/Board.h"
#include "board/mechanism/SensorLayout.h"

namespace ksim::board::mechanism {

// Mechanical times in milliseconds at --speed 1.
constexpr double kFeedMs = 800;
constexpr double kDetainMs = 1000;
constexpr double kModuleTurnMs = 500;
constexpr double kModuleMoveMs = 700;
constexpr double kModuleResetMs = 1500;

class CardMechanism {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    // `card` is a station id of the model's table, or kNoCard.
    CardMechanism(Board& board, int card, double speed, Journal& journal, Now now = Clock::now);

    // Puts the mechanism's command handlers on the board.
    void install();

    // Operator actions; false with a reason when the mechanism cannot do it.
    bool insertCard(std::string& error);
    bool takeCard(std::string& error);
    bool placeCard(int station, std::string& error);

    // Where the card is now (kNoCard: not in the machine).
    int card();
    Json::Value status();

  private:
    Answer prepare(const Request& request);
    Answer feedIn(const Request& request, bool withModule);
    Answer feedOut(const Request& request);
    Answer detain(const Request& request);
    Answer sensorRead(const Request& request);
    Answer moduleReset(const Request& request);
    Answer modulePosition(const Request& request);
    Answer moduleMove(const Request& request);
    Answer powerOff(const Request& request);
    Answer cardCommand(const Request& request);

    // Starts the card towards `to`; it arrives after `ms` (scaled). The models
    // with a transfer module answer when the move is done, the others at once
    // and watch the sensors.
    Answer move(int to, double ms, const std::string& why);
    void settle();
    bool inMechanism(int at) const;
    uint8_t modeOf(const Request& request) const;

    Board& board_;
    const uint8_t model_;
    const bool moduleFirmware_;
    const double speed_;
    Journal& journal_;
    Now now_;
    int card_ = kNoCard;
    int from_ = kNoCard;  // shown by the sensors until the card arrives
    Clock::time_point arrival_{};
    uint8_t mode_ = 0;  // mode of the last 4003
    int modulePosition_ = 0;
    int cardSide_ = 0;  // module position the card went through the module in
    bool moduleReady_ = false;
    int detained_ = 0;
    std::optional<Bytes> lastSensors_;
};

}  // namespace ksim::board::mechanism

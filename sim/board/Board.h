#pragma once
// A simulated mechanism controller board: its physical state, the answer to each
// command, and the faults waiting for its next replies. Transport-neutral: the USB
// and serial adapters feed it decoded requests and send what it returns.
//
// Answers come, in order of precedence, from the canned table (command line or
// control socket) or from the handler registered for the command code. A strict
// board (the default) refuses a command without a handler, or with data of a length
// the command does not take, as its firmware does (board/CommandSet.h); a lenient
// one answers both with a plain "done" (state 0, no data). New mechanism behaviour
// is a new handler.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "board/BoardConfig.h"
#include "board/Fault.h"
#include "board/Frame.h"
#include "core/Journal.h"

namespace ksim {
class EventLoop;
}

namespace ksim::board {

// What the board answers to one request; `ms` is mechanical time before the reply
// (scaled by the speed factor).
struct Answer {
    uint8_t state = 0;
    Bytes data;
    double ms = 0;
    bool statusWord = false;  // the data end with a card's status word SW1 SW2
};

// "CODE=STATE[:HEXDATA][@MS]", CODE and STATE in hex: "4001=00:0102@300".
std::optional<std::pair<uint16_t, Answer>> parseCannedReply(const std::string& text,
                                                            std::string* error);

// Bytes to put on the wire `delayMs` real milliseconds after the request arrived.
struct Emission {
    Bytes bytes;
    double delayMs = 0;
    std::string note;  // what this is, for the log ("reply", "stale reply", "junk" ...)
};

struct Response {
    std::vector<Emission> emissions;
    bool unplug = false;   // pull the cable instead of answering
    double replugMs = -1;  // put it back after this long; negative: stay out
};

// Sends each emission of a response at once or after its delay.
void scheduleEmissions(EventLoop& loop, const Response& response,
                       const std::function<void(const Emission&)>& send);

class Board {
  public:
    using Handler = std::function<Answer(Board&, const Request&)>;

    // `index` numbers the boards of one simulator in the order given (board0, board1 ...).
    Board(int index, BoardConfig config, double speed, Journal& journal);

    std::string name() const { return "board" + std::to_string(index_); }
    int index() const { return index_; }
    const BoardConfig& config() const { return config_; }

    Response onRequest(const Request& request);

    bool strict() const { return strict_; }
    void setStrict(bool strict) { strict_ = strict; }
    // The answer to a command this board does not have: refused when strict, "done"
    // when lenient. For handlers of commands that only some models or firmware have.
    Answer unknownCommand(const Request& request);

    void setHandler(uint16_t command, Handler handler);
    void setCanned(uint16_t command, Answer answer);
    void clearCanned(uint16_t command);
    void addFault(Fault fault);
    void clearFaults();

    const Bytes& sensors() const { return sensors_; }
    void setSensors(Bytes sensors);

    Json::Value status() const;

  private:
    Answer answer(const Request& request);
    Answer refuse(const Request& request, uint8_t state, const std::string& why);
    void installIdentification();

    const int index_;
    const BoardConfig config_;
    const double speed_;
    Journal& journal_;
    bool strict_ = true;
    std::map<uint16_t, Handler> handlers_;
    std::map<uint16_t, Answer> canned_;
    std::vector<Fault> faults_;
    std::optional<Reply> lastReply_;
    // One byte per sensor as the board reports it (lowest bit set: no card seen).
    Bytes sensors_ = {0x01, 0x01, 0x01};
};

}  // namespace ksim::board

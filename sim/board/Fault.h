#pragma once
// Faults an operator injects into a board's next replies (through --fault or the
// control socket). Each fault applies to the next `count` requests that match its
// command filter (count 0: every one until cleared).
#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Hex.h"

namespace ksim::board {

enum class FaultKind {
    NoReply,       // the request is swallowed
    BadCheck,      // the reply's check byte is wrong
    WrongPackage,  // first a reply with another package number ("package")
    WrongCommand,  // first a reply with another command code ("command")
    Stale,         // first the board's previous reply again
    State,         // the reply carries state byte "state" (default 0x85)
    CardStatus,    // the reply data end with status word "sw" (default 6A82)
    Unplug,       // the cable is pulled instead of replying; back after "ms" if given (0: a glitch)
    Delay,        // the reply comes "ms" later
    Junk,         // bytes "hex" are sent before the reply (serial lines)
    BadStuffing,  // the byte after the first stuffed 0xAA is "value" (default 0x55)
    BadLength,    // the length field says "length"
    Truncate,     // only the first "bytes" bytes of the reply frame are sent
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    int count = 1;
    std::optional<uint16_t> command;  // only requests with this command code
    std::optional<uint16_t> value;    // package, command, state, sw, length, value or bytes
    double ms = -1;  // Unplug, Delay; for the kinds that send an extra frame first, the
                     // time from that frame to the right reply
    Bytes bytes;     // Junk
};

// {"kind":"state","state":133,"count":2,"cmd":"0x1002"}; numbers may be JSON numbers or
// text ("0x85"). Returns nullopt with a reason.
std::optional<Fault> parseFault(const Json::Value& settings, std::string* error);
// Command-line form: KIND[,key=value...], e.g. "state,state=0x85,cmd=0x1002".
std::optional<Fault> parseFaultText(const std::string& text, std::string* error);

std::string faultKindName(FaultKind kind);
Json::Value describe(const Fault& fault);

// One line per kind for --help.
std::vector<std::string> faultHelp();

}  // namespace ksim::board

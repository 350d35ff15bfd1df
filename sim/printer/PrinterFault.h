#pragma once
// Faults an operator arms on a simulated printer's next replies, over the control
// socket. Each applies to the next `count` requests matching its command filter
// (count 0: every one until cleared).
#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ksim::printer {

enum class FaultKind {
    Nak,           // DLE NAK instead of the reply; the command is not carried out
    BadCrc,        // the reply's CRC is wrong
    BadSequence,   // the reply carries the sequence number one lower
    WrongCommand,  // the reply carries another command code
    Late,          // the reply comes "ms" later
    Status,        // the reply's status byte is "status" (default 1), its data as usual
    NoReply,       // the request is swallowed
    Unplug,        // the cable is pulled when the request starts; back after "ms" if given
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    int count = 1;
    std::optional<uint8_t> command;
    double ms = -1;
    uint8_t status = 1;
};

std::optional<Fault> parsePrinterFault(const Json::Value& request, std::string* error);
std::string faultKindName(FaultKind kind);
Json::Value describe(const Fault& fault);
std::vector<std::string> printerFaultHelp();

}  // namespace ksim::printer

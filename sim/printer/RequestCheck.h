#pragma once
// What the printer checks in a request packet before it acts on it: a command of its
// command set, the BCD time stamp, the data length the command takes and the ten zero
// bytes that follow the data (all but the image command 59 carry them).
#include <cstdint>
#include <optional>
#include <string>

#include "core/Hex.h"

namespace ksim::printer {

// Reply status bytes besides 0 (done).
constexpr uint8_t kStatusFailed = 0x01;          // the printer could not do it (no card ...)
constexpr uint8_t kStatusMalformed = 0x02;       // time stamp, length or trailing bytes wrong
constexpr uint8_t kStatusUnknownCommand = 0x03;  // not in the printer's command set

constexpr size_t kTrailingZeros = 10;

struct RequestProblem {
    uint8_t status = kStatusMalformed;
    std::string why;
};

// `payload`: the whole request packet (code, 7 time stamp bytes, data, zeros) of at
// least 8 bytes. nullopt when the printer takes it.
std::optional<RequestProblem> checkRequest(const Bytes& payload);

}  // namespace ksim::printer

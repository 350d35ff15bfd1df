#pragma once
// The board's side of the command frame: requests come in stuffed, replies go out
// stuffed. Layout on the wire:
//   request: AA BB L(2, LE) package(2) command(2) data(n) check     L = n + 5
//   reply:   AA BB L(2, LE) package(2) command(2) state data(n) check   L = n + 6
// Every 0xAA from the package number up to (not including) the check byte is followed
// by an inserted 0x00. The check byte is the XOR of the unstuffed bytes it follows
// from the package number on; header, length and check byte are never stuffed.
#include <cstdint>
#include <optional>
#include <string>

#include "core/Hex.h"

namespace ksim::board {

struct Request {
    uint16_t package = 0;
    uint16_t command = 0;
    Bytes data;
};

struct Reply {
    uint16_t package = 0;
    uint16_t command = 0;
    uint8_t state = 0;
    Bytes data;
};

// Decodes one whole request frame exactly as it came; anything the host should not
// have sent (bad header, length, stuffing, check byte, trailing bytes) is an error.
struct DecodedRequest {
    std::optional<Request> request;
    std::string error;
};
DecodedRequest decodeRequest(const Bytes& wire);

// "package 0001 command 4001 data 00", for the log.
std::string describeRequest(const Request& r);

// Deliberate damage for fault injection; the default leaves the reply sound.
struct ReplyDamage {
    std::optional<uint16_t> lengthField;  // written instead of the true length
    bool wrongCheck = false;              // check byte inverted
    std::optional<uint8_t> stuffingByte;  // sent instead of the 0x00 after the first 0xAA
};
Bytes encodeReply(const Reply& reply, const ReplyDamage& damage = {});

// Host-side encoding of a request; used to cross-check the decoder.
Bytes encodeRequest(const Request& request);

}  // namespace ksim::board

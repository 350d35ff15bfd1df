// The command frame on the wire: building a stuffed request and checking a
// de-stuffed reply. Pure functions over caller buffers, shared by Device and
// the fuzz targets.
#pragma once

#include <cstdint>

namespace devlink {

constexpr int kRequestCapacity = 540;  // request frames are built in this many bytes
constexpr int kReplyCapacity = 3499;   // largest reply frame a port hands over
constexpr int kRequestLengthBias = 5;  // length field = data length + 5
constexpr int kReplyLengthBias = 6;    // length field = data length + 6
constexpr unsigned char kStx1 = 0xAA;
constexpr unsigned char kStx2 = 0xBB;

// Builds the request frame into frame (capacity bytes). Returns its length,
// or -1 when len is negative or the stuffed frame would not fit.
int buildRequestFrame(uint16_t packageNum, uint16_t cmdCode, const unsigned char* data, int len,
                      unsigned char* frame, int capacity);

struct ReplyView {
    uint16_t packageNum = 0;
    uint16_t cmdCode = 0;
    uint8_t state = 0;
    const unsigned char* data = nullptr;  // points into the parsed frame
    int dataLen = 0;
    uint8_t expectedCheck = 0;  // check byte the host computes over the frame
};

enum class ReplyStatus {
    Ok,
    TooShort,   // fewer than 5 bytes
    BadLength,  // length field below 6 or beyond the bytes received
    BadCheck,
};

// Checks a de-stuffed reply frame of count bytes; never reads past count.
// On Ok and BadCheck the view's header fields are filled.
ReplyStatus parseReply(const unsigned char* frame, int count, ReplyView& view);

}  // namespace devlink

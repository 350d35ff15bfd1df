// Result codes of the printer link and command layers.
#pragma once

namespace ecp {
constexpr int kOk = 0;
constexpr int kFrameTooLong = 36;    // reply frame does not fit its packet; payload over the limit
constexpr int kRejected = 225;       // NAK, or the reply answers another command
constexpr int kBadSequence = 227;    // reply carries another sequence number
constexpr int kReadFailed = 230;     // USB read failed or timed out
constexpr int kWriteFailed = 232;    // request frame could not be written
constexpr int kMalformed = 233;      // marker, DLE, control byte, trailer or CRC wrong
constexpr int kPrinterFailed = 255;  // printer reported failure in the status byte

constexpr int kBadArgument = 0x2000001;
constexpr int kNoMemory = 0x3000001;
constexpr int kWrongAccessText = 0x100000d;
constexpr int kIapBadEcho = 0x100000b;
constexpr int kIapBadProtectState = 0x100000c;

constexpr int kNoDriver = 1634;
constexpr int kUnknownPrinter = 601;

// Frame bytes.
constexpr unsigned char DLE = 0x10;
constexpr unsigned char STX = 0x02;
constexpr unsigned char ETX = 0x03;
constexpr unsigned char ENQ = 0x05;
constexpr unsigned char ACK = 0x06;
constexpr unsigned char NAK = 0x15;
constexpr unsigned char kHostMarker = 0xD1;
constexpr unsigned char kPrinterMarker = 0xD7;
constexpr int kPacketSize = 64;
constexpr int kPacketFrameBytes = kPacketSize - 1;
constexpr int kMaxRequestPayload = 79424;
constexpr int kFrameOverhead = 13;
constexpr unsigned char kEndpointOut = 0x02;
constexpr unsigned char kEndpointIn = 0x82;
constexpr unsigned short kVendorId = 0x0483;
constexpr unsigned short kProductId = 0x5760;
}  // namespace ecp

// Firmware update operations: command 0x60 with a sub-command byte; the reply's
// first data byte echoes the sub-command.
#include <cstring>
#include <memory>
#include <new>

#include "LinkCodes.h"
#include "kq_ecp_001.h"

namespace {
constexpr short kIapCommand = 0x60;
constexpr int kIapDataLen = 11;
constexpr int kIapReplyLen = 11;
constexpr int kTimeoutMs = 5000;
constexpr int kRetries = 3;
constexpr unsigned kMaxPackage = 204800;
constexpr unsigned char kProtectOn = 0x55;
constexpr unsigned char kProtectOff = 0xAA;

void put32(unsigned char* at, unsigned v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}
}  // namespace

int kq_ecp_001::iapExchange(UsbPort* port, unsigned char* data, int dataLen, unsigned char* reply) {
    int replyLen = 0;
    const int r = SendCommond60(port, kIapCommand, reinterpret_cast<char*>(data), dataLen,
                                reinterpret_cast<char*>(reply), &replyLen, kIapReplyLen, kTimeoutMs,
                                kRetries);
    if (r != 0) return r;
    return reply[0] == data[0] ? 0 : ecp::kIapBadEcho;
}

int kq_ecp_001::Reset(UsbPort* port, unsigned char mode, unsigned char*, unsigned char*,
                      unsigned short*) {
    if (mode > 1) return ecp::kBadArgument;
    unsigned char data[kIapDataLen] = {0x61, mode == 0 ? kProtectOn : kProtectOff};
    unsigned char reply[kIapReplyLen];
    int replyLen = 0;
    return SendCommond60(port, kIapCommand, reinterpret_cast<char*>(data), kIapDataLen,
                         reinterpret_cast<char*>(reply), &replyLen, kIapReplyLen, kTimeoutMs,
                         kRetries);
}

int kq_ecp_001::IAP_GetBootloaderVer(UsbPort* port, unsigned char*, unsigned char*, unsigned short*,
                                     char* version) {
    unsigned char data[kIapDataLen] = {0x62};
    unsigned char reply[kIapReplyLen];
    const int r = iapExchange(port, data, kIapDataLen, reply);
    // The ten bytes after the echo are the version text; the caller's buffer holds 11.
    if (r == 0 && version) {
        std::memcpy(version, reply + 1, kIapReplyLen - 1);
        version[kIapReplyLen - 1] = '\0';
    }
    return r;
}

int kq_ecp_001::IAP_GetFlashProtectStatus(UsbPort* port, unsigned char*, unsigned char*,
                                          unsigned short*, bool* isProtected) {
    unsigned char data[kIapDataLen] = {0x63};
    unsigned char reply[kIapReplyLen];
    const int r = iapExchange(port, data, kIapDataLen, reply);
    if (r != 0) return r;
    if (reply[1] != kProtectOn && reply[1] != kProtectOff) return ecp::kIapBadProtectState;
    if (isProtected) *isProtected = reply[1] == kProtectOn;
    return 0;
}

int kq_ecp_001::IAP_SetFlashProtectStatus(UsbPort* port, bool protect, unsigned char*,
                                          unsigned char*, unsigned short*) {
    unsigned char data[kIapDataLen] = {0x64, protect ? kProtectOn : kProtectOff};
    unsigned char reply[kIapReplyLen];
    const int r = iapExchange(port, data, kIapDataLen, reply);
    if (r != 0) return r;
    return reply[1] == data[1] ? 0 : ecp::kIapBadProtectState;
}

int kq_ecp_001::IAP_GetBufferSize(UsbPort* port, unsigned char*, unsigned char*, unsigned short*,
                                  unsigned int* size) {
    unsigned char data[kIapDataLen] = {0xFE};
    unsigned char reply[kIapReplyLen];
    const int r = iapExchange(port, data, kIapDataLen, reply);
    // The buffer size follows the echo as a 32-bit little-endian word.
    if (r == 0 && size) {
        *size = reply[1] | reply[2] << 8 | reply[3] << 16 | static_cast<unsigned>(reply[4]) << 24;
    }
    return r;
}

int kq_ecp_001::IAP_EraseFlash(UsbPort* port, unsigned int first, unsigned int second,
                               unsigned char*, unsigned char*, unsigned short*) {
    unsigned char data[kIapDataLen] = {0xED};
    put32(data + 1, first);
    put32(data + 5, second);
    unsigned char reply[kIapReplyLen];
    return iapExchange(port, data, kIapDataLen, reply);
}

int kq_ecp_001::IAP_StartProgram(UsbPort* port, unsigned char*, unsigned char*, unsigned short*) {
    unsigned char data[kIapDataLen] = {0x1D};
    unsigned char reply[kIapReplyLen];
    return iapExchange(port, data, kIapDataLen, reply);
}

int kq_ecp_001::IAP_DownloadOnePackage(UsbPort* port, unsigned char kind, unsigned char sequence,
                                       unsigned char* package, unsigned int length, unsigned char*,
                                       unsigned char*, unsigned short*) {
    static const unsigned char kKindByte[3] = {0x5A, 0x55, 0xAA};
    // The link appends ten zero bytes and the data length given is length - 7, so a
    // package needs at least the seven bytes that the three header bytes displace.
    if (kind > 2 || length > kMaxPackage || length < 7 || (length > 0 && !package)) {
        return ecp::kBadArgument;
    }
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[length + 100]);
    if (!buffer) return ecp::kNoMemory;
    buffer[0] = 0xEA;
    buffer[1] = kKindByte[kind];
    buffer[2] = sequence;
    std::memcpy(buffer.get() + 3, package, length);
    unsigned char reply[kIapReplyLen];
    return iapExchange(port, buffer.get(), static_cast<int>(length - 7), reply);
}

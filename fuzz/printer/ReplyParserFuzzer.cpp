// Feeds arbitrary printer packets to the reply parser, alone and behind each of the
// three command sends, and checks what the link promises its callers: result codes
// from the link's table, a reply never longer than a packet holds, the sequence
// number advancing only for an accepted frame, the reply data copied from the right
// offset and zero past the reply's end, and nothing written past the caller's buffer
// or into it when the send fails.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "LinkCodes.h"
#include "UsbPort.h"
#include "kq_ecp_001.h"

namespace {

constexpr short kCommand = 0x57;
constexpr int kGuardBytes = 32;
constexpr char kCanary = static_cast<char>(0xA5);
constexpr int kUntouchedLen = -12345;

void check(bool condition) {
    if (!condition) std::abort();
}

bool isLinkCode(int rc) {
    switch (rc) {
        case ecp::kOk:
        case ecp::kFrameTooLong:
        case ecp::kRejected:
        case ecp::kBadSequence:
        case ecp::kReadFailed:
        case ecp::kWriteFailed:
        case ecp::kMalformed:
        case ecp::kPrinterFailed:
            return true;
        default:
            return false;
    }
}

// Each packet of the input is a length byte (taken modulo 65) and that many bytes;
// the end of the input reads as a timeout. Writes always succeed and are checked.
class FuzzPort : public UsbPort {
  public:
    FuzzPort(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // The payload of the last reply frame ReadBuffer accepted.
    std::vector<unsigned char> lastReply;
    int reads = 0;
    int dataFrames = 0;

    int ReadBuffer(unsigned char* out, int* len, int timeout) override {
        ++reads;
        const int rc = UsbPort::ReadBuffer(out, len, timeout);
        if (rc == 0) {
            check(*len >= 0 && *len <= ecp::kPacketFrameBytes - ecp::kFrameOverhead);
            lastReply.assign(out, out + *len);
        }
        return rc;
    }

  protected:
    int bulkOut(unsigned char* packet, int len, unsigned) override {
        // Every request here is a single-packet data frame carrying the command code.
        check(len == ecp::kPacketSize && packet[0] == ecp::kHostMarker);
        check(packet[1] == ecp::DLE && packet[2] == ecp::STX && packet[7] == kCommand);
        ++dataFrames;
        return 0;
    }
    int interruptOut(unsigned char, unsigned char* packet, int len, unsigned) override {
        check(len == ecp::kPacketSize && packet[0] == ecp::kHostMarker);
        check(packet[1] == ecp::DLE && packet[2] == ecp::ENQ);
        return 0;
    }
    int bulkIn(unsigned char* packet, int len, int* received, unsigned) override {
        *received = 0;
        if (pos_ >= size_) return LIBUSB_ERROR_TIMEOUT;
        size_t n = data_[pos_++] % 65;
        n = std::min(n, std::min(size_ - pos_, static_cast<size_t>(len)));
        std::memcpy(packet, data_ + pos_, n);
        pos_ += n;
        *received = static_cast<int>(n);
        return 0;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

void readAlone(FuzzPort& port) {
    const unsigned before = port.sequence();
    unsigned char out[64];
    int len = kUntouchedLen;
    const int rc = port.ReadBuffer(out, &len, 0);
    check(isLinkCode(rc) && rc != ecp::kPrinterFailed && rc != ecp::kWriteFailed);
    const unsigned after = port.sequence();
    // The sequence advances only for a frame with the expected number; a trailer or
    // CRC fault is found after that.
    if (rc == ecp::kOk) check(after == before + 1);
    if (rc == ecp::kMalformed) check(after == before || after == before + 1);
    if (rc != ecp::kOk && rc != ecp::kMalformed) check(after == before);
    if (rc == ecp::kFrameTooLong) check(len == 0);
}

enum class Form { Standard, Image, Iap };

void sendCommand(FuzzPort& port, Form form, int retries, int copyLen) {
    kq_ecp_001 link;
    const int copy = copyLen > 0 ? copyLen : 0;
    std::vector<char> out(static_cast<size_t>(copy) + kGuardBytes, kCanary);
    int outLen = kUntouchedLen;
    int rc = 0;
    switch (form) {
        case Form::Standard:
            rc = link.SendCommond(&port, kCommand, nullptr, 0, out.data(), &outLen, copyLen, 0,
                                  retries);
            break;
        case Form::Image:
            rc = link.SendCommond59(&port, kCommand, nullptr, 0, out.data(), &outLen, copyLen, 0,
                                    retries);
            break;
        case Form::Iap:
            rc = link.SendCommond60(&port, kCommand, nullptr, 0, out.data(), &outLen, copyLen, 0,
                                    retries);
            break;
    }
    const bool keepsWord = form != Form::Iap;

    for (size_t i = static_cast<size_t>(copy); i < out.size(); ++i) check(out[i] == kCanary);
    if (retries <= 0) {
        check(rc == ecp::kOk && port.reads == 0 && port.dataFrames == 0);
        check(outLen == kUntouchedLen && link.lastReplyWord() == 0);
        for (int i = 0; i < copy; ++i) check(out[i] == 0);
        return;
    }

    check(isLinkCode(rc) && rc != ecp::kWriteFailed);
    check(port.dataFrames >= 1 && port.dataFrames <= retries && port.reads == port.dataFrames);
    if (rc != ecp::kOk && rc != ecp::kPrinterFailed) {
        check(outLen == kUntouchedLen && link.lastReplyWord() == 0);
        for (int i = 0; i < copy; ++i) check(out[i] == kCanary);
        return;
    }

    // A successful exchange: the reply answers this command.
    const std::vector<unsigned char>& reply = port.lastReply;
    auto byteAt = [&](size_t i) -> unsigned char { return i < reply.size() ? reply[i] : 0; };
    check(!reply.empty() && reply[0] == kCommand);
    check(outLen == copy);
    const size_t from = form == Form::Iap ? 7 : 8;
    for (int i = 0; i < copy; ++i) {
        check(static_cast<unsigned char>(out[i]) == byteAt(from + static_cast<size_t>(i)));
    }
    if (keepsWord) {
        const uint32_t word =
            byteAt(1) | byteAt(2) << 8 | byteAt(3) << 16 | static_cast<uint32_t>(byteAt(4)) << 24;
        check(static_cast<uint32_t>(link.lastReplyWord()) == word);
        check(rc == (byteAt(5) != 0 ? ecp::kPrinterFailed : ecp::kOk));
    } else {
        check(rc == ecp::kOk && link.lastReplyWord() == 0);
    }
}

}  // namespace

// Input: the start sequence number, a mode byte (bits 0-1: read alone or one of the
// three sends; bits 2-4: retries, from -1), two bytes of copy length (from -16), then
// the packets.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    FuzzPort port(data + 4, size - 4);
    port.setSequence(data[0] & 0x80 ? 0xFFFFFF00u | data[0] : data[0]);
    const int mode = data[1] & 3;
    const int retries = ((data[1] >> 2) & 7) - 1;
    const int copyLen = (data[2] | data[3] << 8) % 1200 - 16;
    if (mode == 0) {
        readAlone(port);
    } else {
        sendCommand(port,
                    mode == 1   ? Form::Standard
                    : mode == 2 ? Form::Image
                                : Form::Iap,
                    retries, copyLen);
    }
    return 0;
}

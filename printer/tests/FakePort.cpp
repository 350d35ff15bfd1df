#include "FakePort.h"

#include <algorithm>
#include <cstring>

#include "Crc16.h"

namespace ecptest {
Bytes frame(const Bytes& payload, unsigned seq) {
    Bytes f = {0x10, 0x02};
    const auto n = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    f.insert(f.end(), payload.begin(), payload.end());
    for (int i = 0; i < 3; ++i) f.push_back(static_cast<std::uint8_t>(seq >> (8 * i)));
    f.push_back(0x10);
    f.push_back(0x03);
    const unsigned short crc = Cal_CRC16(f.data(), static_cast<unsigned>(f.size()));
    f.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    return f;
}

Bytes printerPacket(const Bytes& frame, int size) {
    Bytes p = {0xD7};
    p.insert(p.end(), frame.begin(), frame.end());
    p.resize(static_cast<std::size_t>(size), 0);
    return p;
}

Bytes ackPacket() {
    return printerPacket({0x10, 0x06});
}
Bytes nakPacket() {
    return printerPacket({0x10, 0x15});
}

Bytes replyPayload(std::uint8_t cmd, const Bytes& data, std::uint8_t status, std::uint32_t word) {
    Bytes p = {cmd};
    for (int i = 0; i < 4; ++i) p.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
    p.push_back(status);
    p.push_back(0);
    p.push_back(0);
    p.insert(p.end(), data.begin(), data.end());
    return p;
}

Bytes iapReplyPayload(const Bytes& data) {
    Bytes p = {0x60, 0, 0, 0, 0, 0, 0};
    p.insert(p.end(), data.begin(), data.end());
    return p;
}

Bytes Request::data(bool trailingZeros) const {
    if (payload.size() < 8) return {};
    const std::size_t end =
        payload.size() - (trailingZeros ? std::min<std::size_t>(10, payload.size() - 8) : 0);
    return Bytes(payload.begin() + 8, payload.begin() + static_cast<long>(end));
}

FakePort::FakePort() = default;

void FakePort::answerAll(std::map<std::uint8_t, Bytes> data) {
    mResponder = [data](const Request& r) {
        Bytes d(31, 0);
        const auto it = data.find(r.code());
        if (it != data.end()) d = it->second;
        return std::vector<Bytes>{printerPacket(frame(replyPayload(r.code(), d), r.seq))};
    };
}

int FakePort::Open(libusb_device*) {
    return openResult;
}
int FakePort::reOpen() {
    ++reopenCount;
    return openResult;
}
int FakePort::Close() {
    ++closeCount;
    return 0;
}

int FakePort::bulkOut(unsigned char* packet, int len, unsigned) {
    if (writeFailures > 0) {
        --writeFailures;
        return LIBUSB_ERROR_NO_DEVICE;
    }
    bulkPackets.emplace_back(packet, packet + len);
    if (len < 1 || packet[0] != 0xD1) return 0;
    mPending.insert(mPending.end(), packet + 1, packet + len);
    if (mPending.size() < 6) return 0;
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | mPending[2 + static_cast<std::size_t>(i)];
    if (mPending.size() < n + 13u) return 0;
    Request r;
    r.payload.assign(mPending.begin() + 6, mPending.begin() + 6 + n);
    r.seq = mPending[6 + n] | mPending[7 + n] << 8 | mPending[8 + n] << 16;
    mPending.clear();
    requests.push_back(r);
    if (mResponder) {
        for (auto& p : mResponder(r)) mToHost.push_back(std::move(p));
    }
    return 0;
}

int FakePort::interruptOut(unsigned char, unsigned char* packet, int len, unsigned) {
    enquiries.emplace_back(packet, packet + len);
    return 0;
}

int FakePort::bulkIn(unsigned char* packet, int len, int* received, unsigned) {
    *received = 0;
    if (mToHost.empty()) return LIBUSB_ERROR_TIMEOUT;
    Bytes p = std::move(mToHost.front());
    mToHost.pop_front();
    const int n = std::min(len, static_cast<int>(p.size()));
    std::memcpy(packet, p.data(), static_cast<std::size_t>(n));
    *received = n;
    return 0;
}
}  // namespace ecptest

// A Device whose transport is in memory: requests are decoded and handed to a
// responder, whose reply frames come back from ReadBuffer in order.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "link/Device.h"

namespace linktest {

using Bytes = std::vector<unsigned char>;

struct Request {
    uint16_t packageNum = 0;
    uint16_t cmdCode = 0;
    Bytes data;
};

// A de-stuffed reply frame; check is XORed into the correct check byte.
inline Bytes replyFrame(uint16_t package, uint16_t cmd, uint8_t state, const Bytes& data,
                        uint8_t checkError = 0) {
    const int length = static_cast<int>(data.size()) + 6;
    Bytes f = {0xAA,
               0xBB,
               static_cast<unsigned char>(length & 0xFF),
               static_cast<unsigned char>(length >> 8),
               static_cast<unsigned char>(package & 0xFF),
               static_cast<unsigned char>(package >> 8),
               static_cast<unsigned char>(cmd & 0xFF),
               static_cast<unsigned char>(cmd >> 8),
               state};
    f.insert(f.end(), data.begin(), data.end());
    unsigned char check = 0;
    for (size_t i = 4; i < f.size(); ++i) check ^= f[i];
    f.push_back(check ^ checkError);
    return f;
}

// Undoes the request stuffing (0x00 after each 0xAA from offset 4 on).
inline Request decodeRequest(const Bytes& wire) {
    Bytes plain(wire.begin(), wire.begin() + 4);
    for (size_t i = 4; i < wire.size(); ++i) {
        plain.push_back(wire[i]);
        if (wire[i] == 0xAA && i + 1 < wire.size() - 1) ++i;
    }
    Request r;
    r.packageNum = static_cast<uint16_t>(plain[4] | (plain[5] << 8));
    r.cmdCode = static_cast<uint16_t>(plain[6] | (plain[7] << 8));
    r.data.assign(plain.begin() + 8, plain.end() - 1);
    return r;
}

class FakeBoard : public Device {
  public:
    // Returns the reply frames for one request (none = the board stays silent).
    using Responder = std::function<std::vector<Bytes>(const Request&)>;

    explicit FakeBoard(Responder responder = nullptr) : mResponder(std::move(responder)) {}

    int WriteBuffer(unsigned char* data, int len) override {
        writes.emplace_back(data, data + len);
        requests.push_back(decodeRequest(writes.back()));
        if (mResponder) {
            for (auto& f : mResponder(requests.back())) pending.push_back(f);
        }
        return writeResult;
    }

    int ReadBuffer(unsigned char* out, int* len, int timeout) override {
        readTimeouts.push_back(timeout);
        *len = 0;
        if (pending.empty()) return 1;
        Bytes f = pending.front();
        pending.pop_front();
        std::copy(f.begin(), f.end(), out);
        *len = static_cast<int>(f.size());
        return 0;
    }

    std::vector<Bytes> writes;
    std::vector<Request> requests;
    std::deque<Bytes> pending;
    std::vector<int> readTimeouts;
    int writeResult = 0;

  private:
    Responder mResponder;
};

// A responder that answers every request with state 0 and the given data.
inline FakeBoard::Responder answerWith(const Bytes& data, uint8_t state = 0) {
    return [data, state](const Request& r) {
        return std::vector<Bytes>{replyFrame(r.packageNum, r.cmdCode, state, data)};
    };
}

}  // namespace linktest

#include "printer/PrinterFrames.h"

namespace ksim::printer {

uint16_t crc16(const uint8_t* data, size_t len) {
    uint16_t crc = 0;
    for (size_t i = 0; i < len; ++i) {
        crc ^= static_cast<uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

Bytes buildFrame(const Bytes& payload, uint32_t sequence) {
    Bytes f = {kDle, kStx};
    const auto n = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(n >> (8 * i)));
    f.insert(f.end(), payload.begin(), payload.end());
    for (int i = 0; i < 3; ++i) f.push_back(static_cast<uint8_t>(sequence >> (8 * i)));
    f.push_back(kDle);
    f.push_back(kEtx);
    const uint16_t crc = crc16(f.data(), f.size());
    f.push_back(static_cast<uint8_t>(crc & 0xFF));
    f.push_back(static_cast<uint8_t>(crc >> 8));
    return f;
}

Bytes replyPacket(const Bytes& frame) {
    Bytes p = {kPrinterMarker};
    p.insert(p.end(), frame.begin(), frame.end());
    p.resize(kPacket, 0);
    return p;
}

Bytes controlPacket(uint8_t control) {
    return replyPacket({kDle, control});
}

std::optional<uint32_t> HostFrameAssembler::announced() const {
    if (buffer_.size() < 6) return std::nullopt;
    return buffer_[2] | buffer_[3] << 8 | buffer_[4] << 16 |
           static_cast<uint32_t>(buffer_[5]) << 24;
}

std::optional<uint8_t> HostFrameAssembler::code() const {
    if (buffer_.size() < 7) return std::nullopt;
    return buffer_[6];
}

HostFrameAssembler::Result HostFrameAssembler::feed(const uint8_t* bytes, size_t len) {
    Result r;
    if (buffer_.empty() && (len < 2 || bytes[0] != kDle || bytes[1] != kStx)) {
        r.kind = Result::Kind::Error;
        r.error = "a data frame must start with DLE STX";
        return r;
    }
    buffer_.insert(buffer_.end(), bytes, bytes + len);
    const auto n = announced();
    if (!n) return r;
    if (*n > kMaxPayload) {
        r.kind = Result::Kind::Error;
        r.error = "payload length " + std::to_string(*n) + " over the limit";
        buffer_.clear();
        return r;
    }
    const size_t total = *n + 13u;
    if (buffer_.size() < total) return r;
    Bytes f(buffer_.begin(), buffer_.begin() + static_cast<long>(total));
    buffer_.clear();
    const size_t at = 6 + *n;
    const uint16_t crc = static_cast<uint16_t>(f[at + 5] | f[at + 6] << 8);
    if (f[at + 3] != kDle || f[at + 4] != kEtx) {
        r.kind = Result::Kind::Error;
        r.error = "frame does not end with DLE ETX";
    } else if (crc != crc16(f.data(), at + 5)) {
        r.kind = Result::Kind::Error;
        r.error = "frame CRC wrong";
    } else {
        r.kind = Result::Kind::Frame;
        r.frame.payload.assign(f.begin() + 6, f.begin() + static_cast<long>(at));
        r.frame.sequence = f[at] | f[at + 1] << 8 | f[at + 2] << 16;
    }
    r.frame.raw = std::move(f);
    return r;
}

}  // namespace ksim::printer

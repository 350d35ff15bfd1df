#include "board/Frame.h"

#include <cstdio>

namespace ksim::board {

namespace {

void putStuffed(Bytes& out, uint8_t b) {
    out.push_back(b);
    if (b == 0xAA) out.push_back(0x00);
}

std::string hex2(unsigned v) {
    char buf[8];
    snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

Bytes encodeBody(const Bytes& body) {
    uint16_t length = static_cast<uint16_t>(body.size() + 1);
    Bytes out = {0xAA, 0xBB, static_cast<uint8_t>(length & 0xFF),
                 static_cast<uint8_t>(length >> 8)};
    uint8_t check = 0;
    for (uint8_t b : body) {
        putStuffed(out, b);
        check ^= b;
    }
    out.push_back(check);
    return out;
}

}  // namespace

DecodedRequest decodeRequest(const Bytes& wire) {
    DecodedRequest r;
    if (wire.size() < 9) {
        r.error = "frame of " + std::to_string(wire.size()) + " bytes is shorter than 9";
        return r;
    }
    if (wire[0] != 0xAA || wire[1] != 0xBB) {
        r.error = "header " + hex2(wire[0]) + " " + hex2(wire[1]) + " is not AA BB";
        return r;
    }
    size_t length = static_cast<size_t>(wire[2] | wire[3] << 8);
    if (length < 5) {
        r.error = "length field " + std::to_string(length) + " is below 5";
        return r;
    }
    Bytes body;
    size_t pos = 4;
    while (body.size() < length - 1) {
        if (pos >= wire.size()) {
            r.error = "frame ends before the " + std::to_string(length) +
                      " bytes its length field announces";
            return r;
        }
        uint8_t b = wire[pos++];
        body.push_back(b);
        if (b == 0xAA) {
            if (pos >= wire.size() || wire[pos] != 0x00) {
                r.error = "0xAA at offset " + std::to_string(pos - 1) + " is not followed by 00";
                return r;
            }
            ++pos;
        }
    }
    if (pos >= wire.size()) {
        r.error = "frame ends before its check byte";
        return r;
    }
    uint8_t check = wire[pos++];
    if (pos != wire.size()) {
        r.error = std::to_string(wire.size() - pos) + " bytes after the check byte (length field " +
                  std::to_string(length) + ")";
        return r;
    }
    uint8_t expected = 0;
    for (uint8_t b : body) expected ^= b;
    if (check != expected) {
        r.error = "check byte " + hex2(check) + ", expected " + hex2(expected);
        return r;
    }
    Request req;
    req.package = static_cast<uint16_t>(body[0] | body[1] << 8);
    req.command = static_cast<uint16_t>(body[2] | body[3] << 8);
    req.data.assign(body.begin() + 4, body.end());
    r.request = std::move(req);
    return r;
}

Bytes encodeReply(const Reply& reply, const ReplyDamage& damage) {
    Bytes body = {static_cast<uint8_t>(reply.package & 0xFF),
                  static_cast<uint8_t>(reply.package >> 8),
                  static_cast<uint8_t>(reply.command & 0xFF),
                  static_cast<uint8_t>(reply.command >> 8), reply.state};
    body.insert(body.end(), reply.data.begin(), reply.data.end());
    Bytes out = encodeBody(body);
    if (damage.lengthField) {
        out[2] = static_cast<uint8_t>(*damage.lengthField & 0xFF);
        out[3] = static_cast<uint8_t>(*damage.lengthField >> 8);
    }
    if (damage.stuffingByte) {
        bool replaced = false;
        for (size_t i = 4; i + 2 < out.size(); ++i) {
            if (out[i] == 0xAA) {
                out[i + 1] = *damage.stuffingByte;
                replaced = true;
                break;
            }
        }
        // No 0xAA to damage: put a badly stuffed one in front of the check byte.
        if (!replaced) out.insert(out.end() - 1, {0xAA, *damage.stuffingByte});
    }
    if (damage.wrongCheck) out.back() = static_cast<uint8_t>(~out.back());
    return out;
}

Bytes encodeRequest(const Request& request) {
    Bytes body = {
        static_cast<uint8_t>(request.package & 0xFF), static_cast<uint8_t>(request.package >> 8),
        static_cast<uint8_t>(request.command & 0xFF), static_cast<uint8_t>(request.command >> 8)};
    body.insert(body.end(), request.data.begin(), request.data.end());
    return encodeBody(body);
}

std::string describeRequest(const Request& r) {
    char buf[64];
    snprintf(buf, sizeof buf, "package %04X command %04X", r.package, r.command);
    std::string text = buf;
    if (!r.data.empty()) text += " data " + toHex(r.data);
    return text;
}

}  // namespace ksim::board

#include "link/FrameCodec.h"

namespace devlink {

namespace {

// Appends one byte, and the stuffing zero after 0xAA, while room is left.
bool putStuffed(unsigned char value, unsigned char* frame, int capacity, int& pos) {
    if (pos >= capacity) return false;
    frame[pos++] = value;
    if (value != kStx1) return true;
    if (pos >= capacity) return false;
    frame[pos++] = 0x00;
    return true;
}

}  // namespace

int buildRequestFrame(uint16_t packageNum, uint16_t cmdCode, const unsigned char* data, int len,
                      unsigned char* frame, int capacity) {
    if (len < 0 || len > 0xFFFF - kRequestLengthBias || capacity < 4) return -1;
    if (len > 0 && data == nullptr) return -1;
    const int length = len + kRequestLengthBias;
    int pos = 0;
    frame[pos++] = kStx1;
    frame[pos++] = kStx2;
    frame[pos++] = static_cast<unsigned char>(length & 0xFF);
    frame[pos++] = static_cast<unsigned char>(length >> 8);
    const unsigned char head[4] = {
        static_cast<unsigned char>(packageNum & 0xFF), static_cast<unsigned char>(packageNum >> 8),
        static_cast<unsigned char>(cmdCode & 0xFF), static_cast<unsigned char>(cmdCode >> 8)};
    unsigned char check = 0;
    for (unsigned char b : head) {
        if (!putStuffed(b, frame, capacity, pos)) return -1;
        check ^= b;
    }
    for (int i = 0; i < len; ++i) {
        if (!putStuffed(data[i], frame, capacity, pos)) return -1;
        check ^= data[i];
    }
    if (pos >= capacity) return -1;
    frame[pos++] = check;
    return pos;
}

ReplyStatus parseReply(const unsigned char* frame, int count, ReplyView& view) {
    if (count <= 4) return ReplyStatus::TooShort;
    const int length = frame[2] | (frame[3] << 8);
    // The frame needs the state byte and the check byte, and every byte the
    // length field announces must have arrived.
    if (length < kReplyLengthBias || length + 4 > count) return ReplyStatus::BadLength;
    view.packageNum = static_cast<uint16_t>(frame[4] | (frame[5] << 8));
    view.cmdCode = static_cast<uint16_t>(frame[6] | (frame[7] << 8));
    view.state = frame[8];
    view.data = frame + 9;
    view.dataLen = length - kReplyLengthBias;
    unsigned char computed = 0;
    for (int i = 4; i < length + 3; ++i) computed ^= frame[i];
    view.expectedCheck = computed;
    if ((computed ^ frame[length + 3]) != 0) return ReplyStatus::BadCheck;
    return ReplyStatus::Ok;
}

}  // namespace devlink

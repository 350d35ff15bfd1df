#include "link/SerialReceiver.h"

#include <algorithm>

#include "link/FrameCodec.h"

namespace devlink {

void SerialReceiver::logByte(unsigned char b) {
    if (mLogCount < kSerialLogCapacity) mLog[mLogCount++] = b;
}

int SerialReceiver::receive(unsigned char* out, int* len, int timeout) {
    *len = 0;
    mLogCount = 0;
    unsigned char byte = 0;
    int length = 0;
    for (;;) {
        // Hunt for the first header byte.
        if (mRead(&byte, 1, timeout) != 0) {
            mTrace("       [ERROR:Nothing recieve 2.0]loggerPackage:", nullptr, mLog, mLogCount);
            mTrace("       [ERROR:Nothing recieve 2.1]mDataBuffer:", nullptr, nullptr, 0);
            return kSerialNothing;
        }
        if (byte != kStx1) {
            logByte(byte);
            if (mLogCount >= kSerialLogCapacity) {
                mTrace("       [ERROR:loggerPackage Full]", nullptr, mLog, mLogCount);
                return kSerialLogFull;
            }
            continue;
        }
        if (mLogCount > 1) mTrace("       [DIRTY DATA]:loggerPackage:", nullptr, mLog, mLogCount);
        mLogCount = 0;
        logByte(byte);
        if (mRead(&byte, 1, timeout) != 0) {
            mTrace("       [ERROR:Nothing recieve 4 STX2 Error]", nullptr, nullptr, 0);
            return kSerialNoStx2;
        }
        logByte(byte);
        if (byte != kStx2) continue;
        unsigned char lengthBytes[2];
        if (mRead(lengthBytes, 2, timeout) != 0) {
            mTrace("       [ERROR:Nothing recieve 6]", nullptr, nullptr, 0);
            return kSerialNothing;
        }
        logByte(lengthBytes[0]);
        logByte(lengthBytes[1]);
        length = lengthBytes[0] | (lengthBytes[1] << 8);
        break;
    }
    out[0] = kStx1;
    out[1] = kStx2;
    out[2] = static_cast<unsigned char>(length & 0xFF);
    out[3] = static_cast<unsigned char>(length >> 8);
    int index = 4;
    // A frame longer than the receive buffer cannot be taken.
    if (length + 4 > kSerialFrameCapacity) {
        mTrace("       [ERROR PACKAGE]:", nullptr, mLog, mLogCount);
        return kSerialBadStuffing;
    }
    bool afterStx = false;
    unsigned char chunk[kSerialReadChunk];
    while (index < length + 4) {
        const int want = std::min(length + 4 - index, kSerialReadChunk);
        if (mRead(chunk, want, timeout) != 0) {
            mTrace("       [ERROR:Nothing recieve 8]", nullptr, nullptr, 0);
            return kSerialNoBody;
        }
        for (int i = 0; i < want; ++i) {
            const unsigned char b = chunk[i];
            logByte(b);
            if (afterStx) {
                afterStx = false;
                if (b != 0x00) {
                    mTrace("       [ERROR PACKAGE]:", nullptr, mLog, mLogCount);
                    return kSerialBadStuffing;
                }
                continue;
            }
            out[index++] = b;
            afterStx = b == kStx1;
        }
    }
    if (mLogCount > 2) mTrace("[    R]", nullptr, mLog, mLogCount);
    *len = index;
    return 0;
}

}  // namespace devlink

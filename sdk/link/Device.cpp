#include "link/Device.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "core/BaseRefer.h"
#include "link/FrameCodec.h"
#include "link/LinkCodes.h"
#include "link/TraceClock.h"

namespace {

constexpr int kStringLogLimit = 256;

kqbase::TraceFolder& traceFolder() {
    static kqbase::TraceFolder folder("/var/log/kqlogs/");
    return folder;
}

std::string hexText(const unsigned char* data, int len) {
    if (len <= 0) return std::string();
    // ConvertHexToString bounds its text to 10240 characters.
    std::string out(10241, '\0');
    _baseRefer::ConvertHexToString(const_cast<unsigned char*>(data), 0, len, " ", &out[0]);
    out.resize(std::strlen(out.c_str()));
    return out;
}

__attribute__((format(printf, 1, 2))) std::string formatText(const char* format, ...) {
    char text[64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

// A state byte sign-extended to 16 bits and read unsigned, as the board's
// firmware error texts show it (0x85 becomes 0xFF85).
unsigned int stateWord(unsigned char state) {
    return static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(state)));
}

}  // namespace

Device::~Device() = default;

void Device::setTraceDirectory(const std::string& dir) {
    traceFolder().set(dir);
}

std::string Device::traceDirectory() {
    return traceFolder().get();
}

int Device::WriteBuffer(unsigned char*, int) {
    return 0;
}

int Device::ReadBuffer(unsigned char*, int*, int) {
    return 0;
}

int Device::Close() {
    return 0;
}

void Device::Debug(const char* msg, const char* text, const unsigned char* data, int len) {
    const kqbase::TraceFolder& folder = traceFolder();
    if (!folder.exists()) return;
    const int64_t now = devlink::traceNowMs();
    const kqbase::Utc8Stamp stamp = kqbase::utc8StampMs(now);
    if (!mTrace.ready(folder.get(), stamp)) return;
    std::string line = mTrace.head(msg, stamp, now);
    char part[32];
    if (len > 0 && data != nullptr) {
        std::snprintf(part, sizeof(part), "数据长度%3d, ", len);
        line += part;
        if (text != nullptr) line += std::string(text) + ", ";
        for (int i = 0; i < len; ++i) {
            std::snprintf(part, sizeof(part), "%.2X ", data[i]);
            line += part;
        }
    } else if (text != nullptr) {
        line += std::string(text) + ", ";
    }
    mTrace.write(line, now);
}

void Device::DeviceStringLog(char* text) {
    if (text == nullptr) {
        Debug("", nullptr, nullptr, 0);
        return;
    }
    Debug("", std::string(text, strnlen(text, kStringLogLimit)).c_str(), nullptr, 0);
}

int Device::WriteCommand(short packageNum, short cmdCode, unsigned char, char* data, int len) {
    unsigned char frame[devlink::kRequestCapacity];
    const int size = devlink::buildRequestFrame(
        static_cast<uint16_t>(packageNum), static_cast<uint16_t>(cmdCode),
        reinterpret_cast<const unsigned char*>(data), len, frame, sizeof(frame));
    if (size < 0) {
        Debug("[S ERROR 请求帧超出540字节]", nullptr, nullptr, 0);
        return -1;
    }
    std::cout << "WriteBuffer buffer:" << hexText(frame, size) << std::endl;
    return WriteBuffer(frame, size);
}

int Device::ReadCommand(short* packageNum, short* cmdCode, unsigned char* state, char* data,
                        int* len, int timeout) {
    *len = 0;
    unsigned char buffer[devlink::kReplyCapacity];
    int count = 0;
    const int result = ReadBuffer(buffer, &count, timeout);
    if (result == devlink::kPortTimeout) {
        Debug("       [ERROR 逻辑错误，接收超时]:", nullptr,
              reinterpret_cast<unsigned char*>(&count), sizeof(count));
        return devlink::kNoReply;
    }
    if (result != 0) return result;
    if (count > devlink::kReplyCapacity) count = devlink::kReplyCapacity;
    if (count <= 4) {
        Debug("       [ERROR 逻辑错误，R=0,数据包长度小于5]:", nullptr, buffer, count);
        return devlink::kNoReply;
    }
    Debug("[Raw R]", nullptr, buffer, count);
    devlink::ReplyView reply;
    const devlink::ReplyStatus status = devlink::parseReply(buffer, count, reply);
    if (status == devlink::ReplyStatus::BadLength) {
        Debug("       [ERROR PACKAGE LENGTH]", nullptr, buffer, count);
        return devlink::kBadReply;
    }
    *packageNum = static_cast<short>(reply.packageNum);
    *cmdCode = static_cast<short>(reply.cmdCode);
    *state = reply.state;
    if (status == devlink::ReplyStatus::BadCheck) {
        Debug("       [ERROR PACKAGE CRC]", nullptr, &reply.expectedCheck, 1);
        return devlink::kBadReply;
    }
    if (reply.dataLen > 0) std::memcpy(data, reply.data, reply.dataLen);
    *len = reply.dataLen;
    return 0;
}

int Device::SendCommandAndWaitRec(short packageNum, short cmdCode, short state, char* data, int len,
                                  short* replyPackageNum, signed char* replyState, char* replyData,
                                  int* replyLen, int timeout) {
    *replyLen = 0;
    const short package = static_cast<short>((mDevAddress << 8) | (packageNum & 0xFF));
    std::cout << "WriteCommand packageNum: " << package << "\n"
              << "WriteCommand cmdCode:" << cmdCode << "\n"
              << "WriteCommand state:" << state << "\n"
              << "WriteCommand pdata:" << hexText(reinterpret_cast<unsigned char*>(data), len)
              << std::endl;
    int result = WriteCommand(package, cmdCode, static_cast<unsigned char>(state), data, len);
    std::cout << "WriteCommand:" << result << std::endl;
    if (result != 0) {
        Debug("[S ERROR_SendCommandAndWaitRec]:", nullptr,
              reinterpret_cast<unsigned char*>(&result), sizeof(result));
        return devlink::kWriteFailed;
    }
    for (;;) {
        short gotPackage = 0;
        short gotCommand = 0;
        unsigned char gotState = 0;
        result = ReadCommand(&gotPackage, &gotCommand, &gotState, replyData, replyLen, timeout);
        std::cout << "ReadCommand:" << result << std::endl;
        if (result != 0) return result;
        if (replyState != nullptr) *replyState = static_cast<signed char>(gotState);
        if (replyPackageNum != nullptr) *replyPackageNum = gotPackage;
        if (static_cast<uint16_t>(gotCommand) != static_cast<uint16_t>(cmdCode)) {
            const std::string text = formatText(
                "命令不符:%.4X %.2X", static_cast<uint16_t>(gotCommand), stateWord(gotState));
            Debug("  [R ERROR_COMMAND]:", text.c_str(), reinterpret_cast<unsigned char*>(replyData),
                  *replyLen);
            std::cout << text << std::endl;
            continue;
        }
        if (gotPackage != package) {
            const unsigned char bytes[4] = {static_cast<unsigned char>(gotPackage & 0xFF),
                                            static_cast<unsigned char>((gotPackage >> 8) & 0xFF), 0,
                                            0};
            Debug("[R ERROR_PACKAGE]:", "包号不符", bytes, 4);
            continue;
        }
        if (gotState != 0) {
            const unsigned int word = stateWord(gotState);
            const std::string text = formatText("固件返回:%d(0x%X)", word, word);
            Debug("       [R_STATE ERROR]", text.c_str(), nullptr, 0);
            std::cout << text << std::endl;
            return 0;
        }
        const uint16_t command = static_cast<uint16_t>(cmdCode);
        // The last two data bytes of a card command's reply are the card's status word.
        if ((command == 0x0211 || command == 0x0311) && *replyLen >= 2) {
            const unsigned char sw1 = static_cast<unsigned char>(replyData[*replyLen - 2]);
            const unsigned char sw2 = static_cast<unsigned char>(replyData[*replyLen - 1]);
            const unsigned int word = (sw1 << 8) | sw2;
            if (word != 0x9000 && sw1 != 0x61) {
                const std::string text = formatText("卡返回:%d(0x%04X)", word, word);
                Debug("       [R_STATE ERROR]", text.c_str(), nullptr, 0);
                std::cout << text << std::endl;
            }
        }
        return 0;
    }
}

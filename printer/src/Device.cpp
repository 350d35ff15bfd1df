#include "Device.h"

#include <cstring>

#include "LinkCodes.h"

namespace {
kqbase::TraceFolder& traceFolder() {
    static kqbase::TraceFolder folder("/var/log/kqlogs/");
    return folder;
}
}  // namespace

void Device::setTraceDirectory(const std::string& dir) {
    traceFolder().set(dir);
}

bool Device::tracing() {
    return traceFolder().exists();
}

std::string Device::traceDirectory() {
    return traceFolder().get();
}

Device::~Device() = default;

int Device::WriteBuffer(unsigned char*, int) {
    return 0;
}
int Device::ReadBuffer(unsigned char*, int*, int) {
    return 0;
}
int Device::Close() {
    return 0;
}

int Device::WriteCommand(short, short, signed char, char* data, int len) {
    return WriteBuffer(reinterpret_cast<unsigned char*>(data), len);
}

int Device::ReadCommand(short*, short* cmdCode, signed char*, char* data, int* len, int timeout) {
    *len = 0;
    const int r = ReadBuffer(reinterpret_cast<unsigned char*>(data), len, timeout);
    if (r != 0) return r;
    // An empty payload has no command byte; -1 never matches a request's code.
    *cmdCode = *len > 0 ? static_cast<short>(static_cast<unsigned char>(data[0])) : -1;
    return 0;
}

int Device::SendCommandAndWaitRec(short packageNum, short cmdCode, short state, char* data, int len,
                                  short* replyPackageNum, signed char* replyState, char* replyData,
                                  int* replyLen, int timeout) {
    *replyLen = 0;
    int r = WriteCommand(packageNum, cmdCode, static_cast<signed char>(state), data, len);
    if (r != 0) {
        unsigned char code[4];
        std::memcpy(code, &r, 4);
        Debug("[S ERROR_SendCommandAndWaitRec]:", nullptr, code, 4);
        return ecp::kWriteFailed;
    }
    short replyCode = 0;
    r = ReadCommand(replyPackageNum, &replyCode, replyState, replyData, replyLen, timeout);
    if (r != 0) {
        unsigned char code[4];
        std::memcpy(code, &r, 4);
        Debug("[S ERROR_SendCommandAndWaitRe2c2]:", nullptr, code, 4);
        return r;
    }
    if (replyPackageNum) *replyPackageNum = 0;
    if (replyCode != static_cast<short>(cmdCode & 0xFF)) return ecp::kRejected;
    unsigned char zero[4] = {0, 0, 0, 0};
    Debug("[S ERROR_SendCommandAndWaitRe2c2]:", nullptr, zero, 4);
    return 0;
}

void Device::Debug(const char* msg, const char* text, unsigned char* data, int len) {
    const kqbase::TraceFolder& folder = traceFolder();
    if (!folder.exists()) return;
    const std::int64_t now = kqbase::wallClockMs();
    const kqbase::Utc8Stamp stamp = kqbase::utc8StampMs(now);
    if (!mTrace.ready(folder.get(), stamp)) return;
    std::string line = mTrace.head(msg, stamp, now);
    char part[32];
    if (len > 0 && data) {
        std::snprintf(part, sizeof part, "数据长度%3d: ", len);
        line += part;
        kqbase::TraceFile::appendHex(line, data, len);
    }
    if (text) line += text;
    mTrace.write(line, now);
}

void Device::DeviceStringLog(char* text) {
    if (!text || !tracing()) return;
    const std::string cut(text, strnlen(text, 256));
    Debug("", cut.c_str(), nullptr, 0);
}

#include "Device.h"

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <ctime>

#include "LinkCodes.h"

namespace {
std::string& traceDir() {
    static std::string dir = "/var/log/kqlogs/";
    return dir;
}

bool directoryExists(const std::string& dir) {
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct Stamp {
    std::tm parts;
    int millis;
    std::int64_t epochMs;
};

// Trace files and lines carry the wall-clock time in the fixed zone UTC+8.
Stamp nowUtc8() {
    const auto now = std::chrono::system_clock::now();
    const std::int64_t ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    std::time_t shifted = static_cast<std::time_t>(ms / 1000 + 8 * 3600);
    Stamp s{};
    gmtime_r(&shifted, &s.parts);
    s.millis = static_cast<int>(ms % 1000);
    s.epochMs = ms;
    return s;
}
}  // namespace

void Device::setTraceDirectory(const std::string& dir) {
    traceDir() = dir;
}
bool Device::tracing() {
    return directoryExists(traceDir());
}

std::string Device::traceDirectory() {
    return traceDir();
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
    const std::string dir = traceDir();
    if (!directoryExists(dir)) return;
    const Stamp now = nowUtc8();
    char buf[160];
    if (!mLogFile) {
        std::snprintf(buf, sizeof buf, "%s1_kqdev_%.4d%.2d%.2d_%.2d%.2d%.2d.log", dir.c_str(),
                      now.parts.tm_year + 1900, now.parts.tm_mon + 1, now.parts.tm_mday,
                      now.parts.tm_hour, now.parts.tm_min, now.parts.tm_sec);
        mLogFile.reset(std::fopen(buf, "ab"));
        if (!mLogFile) return;
        mLastLogMs = 0;
    }
    std::string line = msg ? msg : "";
    std::snprintf(buf, sizeof buf, ":(%.4d-%.2d-%.2d %.2d:%.2d:%.2d %.3d)",
                  now.parts.tm_year + 1900, now.parts.tm_mon + 1, now.parts.tm_mday,
                  now.parts.tm_hour, now.parts.tm_min, now.parts.tm_sec, now.millis);
    line += buf;
    const auto interval = static_cast<std::uint32_t>(now.epochMs - mLastLogMs);
    if (interval > 60000) {
        line += "((间隔????? MS):";
    } else {
        std::snprintf(buf, sizeof buf, "(间隔%.5u MS):", interval);
        line += buf;
    }
    if (len > 0 && data) {
        std::snprintf(buf, sizeof buf, "数据长度%3d: ", len);
        line += buf;
        for (int i = 0; i < len; ++i) {
            std::snprintf(buf, sizeof buf, "%.2X ", data[i]);
            line += buf;
        }
    }
    if (text) line += text;
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), mLogFile.get());
    std::fflush(mLogFile.get());
    mLastLogMs = now.epochMs;
}

void Device::DeviceStringLog(char* text) {
    if (!text) return;
    if (!directoryExists(traceDir())) return;
    const std::string cut(text, strnlen(text, 256));
    Debug("", cut.c_str(), nullptr, 0);
}

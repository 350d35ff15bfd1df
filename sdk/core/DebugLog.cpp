#include "core/DebugLog.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

constexpr size_t kLineCapacity = 4096;

std::mutex debugMutex;
FILE* DllLoggerFile = nullptr;
std::string debugDirectory = "/var/log/kqrfid/";
kqlog::ClockFn debugClock = nullptr;

void readClock(std::time_t* seconds, int* millis) {
    if (debugClock) {
        debugClock(seconds, millis);
        return;
    }
    timeval tv;
    gettimeofday(&tv, nullptr);
    *seconds = tv.tv_sec;
    *millis = static_cast<int>(tv.tv_usec / 1000);
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

__attribute__((format(printf, 2, 3))) void appendFormat(std::string& line, const char* format,
                                                        ...) {
    char piece[kLineCapacity];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(piece, sizeof(piece), format, args);
    va_end(args);
    if (n > 0) line.append(piece, static_cast<size_t>(n) < sizeof(piece) ? n : sizeof(piece) - 1);
}

}  // namespace

namespace kqlog {

LocalStamp utc8Stamp(std::time_t utcSeconds, int millis) {
    return kqbase::utc8Stamp(utcSeconds, millis);
}

void setDebugClock(ClockFn clock) {
    std::lock_guard<std::mutex> lock(debugMutex);
    debugClock = clock;
}

void setDebugDirectory(const std::string& dir) {
    std::lock_guard<std::mutex> lock(debugMutex);
    debugDirectory = dir;
}

void resetDebugLog() {
    std::lock_guard<std::mutex> lock(debugMutex);
    if (DllLoggerFile) std::fclose(DllLoggerFile);
    DllLoggerFile = nullptr;
}

}  // namespace kqlog

void global_debug(const char* tag, const char* text, unsigned char* data, int length) {
    std::lock_guard<std::mutex> lock(debugMutex);
    if (!isDirectory(debugDirectory)) return;

    std::time_t seconds;
    int millis;
    readClock(&seconds, &millis);
    kqlog::LocalStamp t = kqlog::utc8Stamp(seconds, millis);

    if (DllLoggerFile == nullptr) {
        char name[kLineCapacity];
        std::snprintf(name, sizeof(name), "%s0_kqdev_%04d%02d%02d_%02d%02d%02d.log",
                      debugDirectory.c_str(), t.year, t.month, t.day, t.hour, t.minute, t.second);
        DllLoggerFile = std::fopen(name, "a");
        if (DllLoggerFile == nullptr) return;
    }

    std::string line;
    appendFormat(line, "%s:(%04d-%02d-%02d %02d:%02d:%02d %04d)", tag ? tag : "", t.year, t.month,
                 t.day, t.hour, t.minute, t.second, t.millis);
    if (length > 0 && data != nullptr) {
        appendFormat(line, ",数据长度%3d: ", length);
        for (int i = 0; i < length && line.size() < kLineCapacity; ++i) {
            appendFormat(line, "%02X ", data[i]);
        }
    }
    if (text != nullptr) appendFormat(line, ",%s", text);
    // The line is assembled within the fixed line area; the line end always follows.
    if (line.size() > kLineCapacity - 3) line.resize(kLineCapacity - 3);
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), DllLoggerFile);
    std::fflush(DllLoggerFile);
}

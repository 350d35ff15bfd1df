#include "TraceFile.h"

#include <sys/stat.h>

namespace kqbase {

namespace {
constexpr std::int64_t kGapLimitMs = 60000;
}

void TraceFolder::set(const std::string& dir) {
    std::lock_guard<std::mutex> lock(mMutex);
    mDir = dir;
}

std::string TraceFolder::get() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mDir;
}

bool TraceFolder::exists() const {
    struct stat st {};
    return ::stat(get().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool TraceFile::ready(const std::string& dir, const Utc8Stamp& now) {
    if (mFile) return true;
    char path[512];
    std::snprintf(path, sizeof path, "%s1_kqdev_%.4d%.2d%.2d_%.2d%.2d%.2d.log", dir.c_str(),
                  now.year, now.month, now.day, now.hour, now.minute, now.second);
    mFile.reset(std::fopen(path, "ab"));
    mLastMs = 0;
    return mFile != nullptr;
}

std::string TraceFile::head(const char* msg, const Utc8Stamp& now, std::int64_t nowMs) const {
    char part[96];
    std::snprintf(part, sizeof part, ":(%.4d-%.2d-%.2d %.2d:%.2d:%.2d %.3d)", now.year, now.month,
                  now.day, now.hour, now.minute, now.second, now.millis);
    std::string line = msg != nullptr ? msg : "";
    line += part;
    const auto gap = static_cast<std::uint32_t>(nowMs - mLastMs);
    if (gap > kGapLimitMs) {
        line += "((间隔????? MS):";
    } else {
        std::snprintf(part, sizeof part, "(间隔%.5u MS):", gap);
        line += part;
    }
    return line;
}

void TraceFile::appendHex(std::string& line, const unsigned char* data, int len) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < len; ++i) {
        line += kDigits[data[i] >> 4];
        line += kDigits[data[i] & 0x0F];
        line += ' ';
    }
}

void TraceFile::write(const std::string& line, std::int64_t nowMs) {
    if (!mFile) return;
    std::fwrite(line.data(), 1, line.size(), mFile.get());
    std::fwrite("\r\n", 1, 2, mFile.get());
    std::fflush(mFile.get());
    mLastMs = nowMs;
}

}  // namespace kqbase

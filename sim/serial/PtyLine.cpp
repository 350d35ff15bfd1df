#include "serial/PtyLine.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace ksim::serial {

namespace {

std::string readLink(const std::string& path) {
    char buf[PATH_MAX];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return {};
    buf[n] = '\0';
    return buf;
}

}  // namespace

std::unique_ptr<PtyLine> PtyLine::open(const std::string& linkPath, std::string* error) {
    std::unique_ptr<PtyLine> line(new PtyLine);
    line->master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line->master_ < 0 || grantpt(line->master_) != 0 || unlockpt(line->master_) != 0) {
        *error = std::string("cannot open a pseudo-terminal: ") + strerror(errno);
        return nullptr;
    }
    char name[128];
    if (ptsname_r(line->master_, name, sizeof name) != 0) {
        *error = std::string("ptsname: ") + strerror(errno);
        return nullptr;
    }
    line->slavePath_ = name;
    line->slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line->slave_ < 0) {
        *error = line->slavePath_ + ": " + strerror(errno);
        return nullptr;
    }
    termios t{};
    if (tcgetattr(line->slave_, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B115200);
        cfsetospeed(&t, B115200);
        tcsetattr(line->slave_, TCSANOW, &t);
    }

    std::string existing = readLink(linkPath);
    if (!existing.empty() && existing.rfind("/dev/pts/", 0) == 0) {
        unlink(linkPath.c_str());
    }
    if (symlink(line->slavePath_.c_str(), linkPath.c_str()) != 0) {
        *error =
            linkPath + ": " + strerror(errno) +
            (errno == EEXIST ? " (a file of that name exists and is not a simulator link)" : "");
        return nullptr;
    }
    line->linkPath_ = linkPath;
    return line;
}

PtyLine::~PtyLine() {
    if (!linkPath_.empty() && readLink(linkPath_) == slavePath_) unlink(linkPath_.c_str());
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

std::optional<LineSetting> PtyLine::hostSetting() const {
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return std::nullopt;
    return lineSettingOf(t);
}

std::string PtyLine::settings() const {
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return "unknown";
    std::string text = describe(lineSettingOf(t));
    if (t.c_lflag & (ICANON | ECHO)) text += " cooked";
    return text;
}

}  // namespace ksim::serial

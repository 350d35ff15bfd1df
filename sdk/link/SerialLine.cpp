#include "link/SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
constexpr long kPollStepMs = 2;
}

int set_serial(int fd, int speed, int bits, char parity, int stop) {
    termios current;
    if (tcgetattr(fd, &current) != 0) {
        std::perror("Setupserial 1");
        return -1;
    }
    termios setting;
    std::memset(&setting, 0, sizeof(setting));
    setting.c_cflag |= CLOCAL | CREAD;
    setting.c_cflag &= ~CSIZE;
    setting.c_cflag |= bits == 7 ? CS7 : bits == 8 ? CS8 : CS5;
    if (parity == 'E') {
        setting.c_cflag |= PARENB;
        setting.c_iflag |= INPCK | ISTRIP;
    } else if (parity == '0') {
        setting.c_cflag |= PARENB | PARODD;
        setting.c_iflag |= INPCK | ISTRIP;
    }
    const speed_t rate = speed == 2400     ? B2400
                         : speed == 4800   ? B4800
                         : speed == 115200 ? B115200
                                           : B9600;
    cfsetispeed(&setting, rate);
    cfsetospeed(&setting, rate);
    if (stop == 2) setting.c_cflag |= CSTOPB;
    setting.c_cc[VMIN] = 50;
    setting.c_cc[VTIME] = 0;
    tcflush(fd, TCIFLUSH);
    if (tcsetattr(fd, TCSANOW, &setting) != 0) {
        std::perror("com set error");
        return -1;
    }
    return 0;
}

int OpenSerial(char* name, int baud) {
    const std::string path = std::string("/dev/") + (name != nullptr ? name : "");
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return 0;
    // 0 means "not open" to the callers, so a line must never sit on descriptor 0.
    if (fd == 0) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        close(fd);
        if (moved < 0) return 0;
        fd = moved;
    }
    set_serial(fd, baud, 8, 'N', 1);
    return fd;
}

void CloseSerial(int fd) {
    close(fd);
}

int WriteBuffer2Serial(int fd, unsigned char* data, int len) {
    if (len < 0) return -1;
    const ssize_t written = write(fd, data, static_cast<size_t>(len));
    return written == len ? 0 : -1;
}

int ReadBufferFromSerial(int fd, unsigned char* buf, int n, int timeout) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout);
    int got = 0;
    while (got < n) {
        const ssize_t r = read(fd, buf + got, static_cast<size_t>(n - got));
        if (r > 0) {
            got += static_cast<int>(r);
            continue;
        }
        if (r == 0) return -1;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return -1;
        // With VMIN 50 a terminal reports readable only once 50 bytes wait, so
        // readiness alone would sleep through a short frame: wake at least every
        // few milliseconds to read what has come.
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long>(left.count(), kPollStepMs)));
        if (ready < 0 && errno != EINTR) return -1;
        // A hung-up line with nothing to read will not deliver more.
        if (ready > 0 && (p.revents & POLLIN) == 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return -1;
    }
    return 0;
}

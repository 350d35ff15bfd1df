// A small driver for testing kiosk-sim from the host's side: it talks to the
// simulated boards through the system libusb and through serial device files, one
// step per group of arguments, and prints one line per step.
//
//   list                                   every USB device: "device VID:PID BUS/ADDR"
//   xfer INDEX PKG CMD HEX TIMEOUT         one exchange with board INDEX (0483:57xx, bus order)
//   raw INDEX HEXFRAME TIMEOUT             send a frame as is, print the reply frames
//   read INDEX TIMEOUT                     one IN report, "timeout" when nothing comes
//   idle INDEX MS                          a blocked read of MS; prints the CPU time it used
//   serial PATH PKG CMD HEX TIMEOUT        one exchange on a serial device file
//   serial-at SEND READ PATH PKG CMD HEX TIMEOUT
//                                          the same with the line set to SEND (e.g.
//                                          9600,7E1) to write and to READ to read
//   usb VID:PID TYPE EP HEX TIMEOUT        one bulk|interrupt transfer on endpoint EP of
//                                          the first such device (kept open for the next
//                                          usb step): HEX out, or 64 bytes in ("-");
//                                          prints "usb TYPE EP ok|ERROR [HEX]"
//   control JSON                           a request on $KIOSK_SIM_CONTROL, prints the result
//   subscribe                              keep a connection to $KIOSK_SIM_CONTROL open
//   events                                 print what came on it so far, "event LINE"
//   strings INDEX                          the board's manufacturer, product and serial texts
//   sleep MS
//   clock                                  "clock MS": milliseconds since the client started
// PKG, CMD are hex; HEX may be "-" for no data. The exit status is the number of
// failed steps.
#include <fcntl.h>
#include <libusb-1.0/libusb.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::string hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < b.size(); ++i) {
        snprintf(buf, sizeof buf, i ? " %02X" : "%02X", b[i]);
        s += buf;
    }
    return s;
}

Bytes unhex(const std::string& text) {
    Bytes out;
    if (text == "-") return out;
    std::string digits;
    for (char c : text) {
        if (c != ' ') digits += c;
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(
            static_cast<unsigned char>(strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    }
    return out;
}

// Request frame as the host builds it: stuffing after every 0xAA from the package on.
Bytes request(unsigned pkg, unsigned cmd, const Bytes& data) {
    Bytes body = {static_cast<unsigned char>(pkg), static_cast<unsigned char>(pkg >> 8),
                  static_cast<unsigned char>(cmd), static_cast<unsigned char>(cmd >> 8)};
    body.insert(body.end(), data.begin(), data.end());
    size_t len = data.size() + 5;
    Bytes f = {0xAA, 0xBB, static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8)};
    unsigned char check = 0;
    for (unsigned char b : body) {
        f.push_back(b);
        if (b == 0xAA) f.push_back(0);
        check ^= b;
    }
    f.push_back(check);
    return f;
}

// Parses an unstuffed reply frame into "pkg=.. cmd=.. state=.. data=..".
std::string describeReply(const Bytes& f) {
    if (f.size() < 10) return "short frame " + hex(f);
    size_t len = static_cast<size_t>(f[2] | f[3] << 8);
    if (len < 6 || len + 4 != f.size()) return "bad length " + hex(f);
    unsigned char check = 0;
    for (size_t i = 4; i < f.size(); ++i) check ^= f[i];
    char buf[96];
    snprintf(buf, sizeof buf, "pkg=%04X cmd=%04X state=%02X check=%s data=", f[4] | f[5] << 8,
             f[6] | f[7] << 8, f[8], check == 0 ? "ok" : "bad");
    return buf + hex(Bytes(f.begin() + 9, f.end() - 1));
}

long long nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

struct Usb {
    libusb_context* ctx = nullptr;
    libusb_device_handle* handle = nullptr;
    int index = -1;

    Usb() { libusb_init(&ctx); }
    ~Usb() {
        close();
        libusb_exit(ctx);
    }
    void close() {
        if (handle) {
            libusb_release_interface(handle, 0);
            libusb_close(handle);
        }
        handle = nullptr;
        index = -1;
    }
    // Opens the INDEX-th board in bus order (a fresh list every time: boards come and go).
    bool open(int want) {
        if (handle && index == want) return true;
        close();
        // A fresh context sees the bus as a newly started driver does.
        libusb_exit(ctx);
        libusb_init(&ctx);
        libusb_device** list = nullptr;
        ssize_t n = libusb_get_device_list(ctx, &list);
        int seen = 0;
        for (ssize_t i = 0; i < n; ++i) {
            libusb_device_descriptor d;
            if (libusb_get_device_descriptor(list[i], &d) != 0 || d.idVendor != 0x0483) continue;
            if (d.idProduct != 0x5740 && d.idProduct != 0x5741 && d.idProduct != 0x5704) continue;
            if (seen++ != want) continue;
            if (libusb_open(list[i], &handle) != 0) handle = nullptr;
            break;
        }
        libusb_free_device_list(list, 1);
        if (!handle) return false;
        libusb_set_auto_detach_kernel_driver(handle, 1);
        if (libusb_claim_interface(handle, 0) != 0) {
            libusb_close(handle);
            handle = nullptr;
            return false;
        }
        index = want;
        return true;
    }
};

// Host-side USB framing: short block up to 253 frame bytes, long above; 62 payload
// bytes per report; the last report's count says payload + 1.
int sendFrame(Usb& usb, const Bytes& frame) {
    Bytes block;
    if (frame.size() <= 253) {
        block.push_back(static_cast<unsigned char>(frame.size() + 1));
    } else {
        size_t len = frame.size() + 3;
        block = {0, static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8)};
    }
    block.insert(block.end(), frame.begin(), frame.end());
    for (size_t pos = 0; pos < block.size(); pos += 62) {
        size_t n = std::min<size_t>(62, block.size() - pos);
        unsigned char report[64] = {
            0x01, static_cast<unsigned char>(pos + 62 < block.size() ? 62 : n + 1)};
        memcpy(report + 2, block.data() + pos, n);
        int done = 0;
        int r = libusb_interrupt_transfer(usb.handle, 0x01, report, 64, &done, 500);
        if (r != 0) return r;
    }
    return 0;
}

// Reads reports until one block is whole; returns the frame without stuffing.
int readFrame(Usb& usb, Bytes& frame, int timeout) {
    Bytes block;
    for (;;) {
        unsigned char report[64];
        int got = 0;
        int r = libusb_interrupt_transfer(usb.handle, 0x81, report, 64, &got, timeout);
        if (r != 0) return r;
        block.insert(block.end(), report + 2, report + 2 + report[1]);
        size_t want =
            block[0] ? block[0] : (block.size() >= 3 ? (block[1] | block[2] << 8) : 99999);
        if (block.size() >= want) break;
    }
    size_t prefix = block[0] ? 1 : 3;
    frame.clear();
    for (size_t i = prefix; i < block.size(); ++i) {
        frame.push_back(block[i]);
        if (block[i] == 0xAA && frame.size() > 4) ++i;
    }
    return 0;
}

int controlRequest(const std::string& json) {
    const char* path = getenv("KIOSK_SIM_CONTROL");
    if (!path) {
        puts("control: no KIOSK_SIM_CONTROL");
        return 1;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        puts("control: cannot connect");
        ::close(fd);
        return 1;
    }
    std::string line = json + "\n";
    if (write(fd, line.data(), line.size()) < 0) return 1;
    // Events may come first; the answer is the first "result" line.
    std::string buf;
    long long deadline = nowMs() + 3000;
    while (nowMs() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char chunk[4096];
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        buf.append(chunk, static_cast<size_t>(n));
        size_t nl;
        while ((nl = buf.find('\n')) != std::string::npos) {
            std::string l = buf.substr(0, nl);
            buf.erase(0, nl + 1);
            if (l.find("\"event\":\"result\"") != std::string::npos) {
                printf("control %s\n", l.c_str());
                ::close(fd);
                return l.find("\"ok\":true") != std::string::npos ? 0 : 1;
            }
        }
    }
    ::close(fd);
    puts("control: no result");
    return 1;
}

int connectControl() {
    const char* path = getenv("KIOSK_SIM_CONTROL");
    if (!path) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Prints the lines that arrived on `fd` until it stays quiet for 200 ms.
void printEvents(int fd) {
    std::string buf;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) break;
        char chunk[4096];
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        buf.append(chunk, static_cast<size_t>(n));
    }
    size_t nl;
    while ((nl = buf.find('\n')) != std::string::npos) {
        printf("event %s\n", buf.substr(0, nl).c_str());
        buf.erase(0, nl + 1);
    }
}

// "115200,8N1" as raw terminal settings; false for a setting it does not know.
bool setLine(int fd, const std::string& setting) {
    static const std::pair<const char*, speed_t> speeds[] = {
        {"2400", B2400}, {"4800", B4800}, {"9600", B9600}, {"19200", B19200}, {"115200", B115200}};
    auto comma = setting.find(',');
    std::string baud = setting.substr(0, comma);
    std::string frame = comma == std::string::npos ? "8N1" : setting.substr(comma + 1);
    termios t{};
    if (tcgetattr(fd, &t) != 0 || frame.size() != 3) return false;
    cfmakeraw(&t);
    bool known = false;
    for (const auto& s : speeds) {
        if (baud == s.first) known = cfsetspeed(&t, s.second) == 0;
    }
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    t.c_iflag &= ~INPCK;
    t.c_cflag |= frame[0] == '7' ? CS7 : CS8;
    if (frame[1] != 'N') {
        t.c_cflag |= PARENB | (frame[1] == 'O' ? PARODD : 0);
        t.c_iflag |= INPCK;
    }
    if (frame[2] == '2') t.c_cflag |= CSTOPB;
    // A pseudo-terminal refuses some of it; what it keeps is what the simulator sees.
    tcsetattr(fd, TCSANOW, &t);
    return known;
}

int serialExchange(const std::string& path, const Bytes& frame, int timeout,
                   const std::string& sendLine = "115200,8N1",
                   const std::string& readLine = "115200,8N1") {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        printf("serial: cannot open %s\n", path.c_str());
        return 1;
    }
    if (!setLine(fd, sendLine)) {
        printf("serial: cannot set %s\n", sendLine.c_str());
        ::close(fd);
        return 1;
    }
    tcflush(fd, TCIFLUSH);
    if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
        ::close(fd);
        return 1;
    }
    if (readLine != sendLine) {
        // Let the board take the request at the first setting before the line changes.
        usleep(150000);
        setLine(fd, readLine);
    }
    Bytes in;
    long long deadline = nowMs() + timeout;
    while (nowMs() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) {
            if (in.size() >= 4 && in.size() >= static_cast<size_t>(in[2] | in[3] << 8) + 4) break;
            continue;
        }
        unsigned char buf[512];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) in.insert(in.end(), buf, buf + n);
    }
    ::close(fd);
    if (in.empty()) {
        puts("timeout");
        return 1;
    }
    printf("serial-raw %s\n", hex(in).c_str());
    return 0;
}

// The device of the "usb" steps, kept open from one step to the next so that what it
// queued for the host stays queued (a new claim drops it).
struct AnyUsb {
    libusb_context* ctx = nullptr;
    libusb_device_handle* handle = nullptr;
    std::string vidPid;

    ~AnyUsb() { close(); }
    void close() {
        if (handle) {
            libusb_release_interface(handle, 0);
            libusb_close(handle);
        }
        if (ctx) libusb_exit(ctx);
        handle = nullptr;
        ctx = nullptr;
        vidPid.clear();
    }
    bool open(const std::string& want) {
        if (handle && vidPid == want) return true;
        close();
        libusb_init(&ctx);
        const unsigned vid = strtoul(want.c_str(), nullptr, 16);
        const unsigned pid = strtoul(want.substr(want.find(':') + 1).c_str(), nullptr, 16);
        handle = libusb_open_device_with_vid_pid(ctx, static_cast<uint16_t>(vid),
                                                 static_cast<uint16_t>(pid));
        if (handle && libusb_claim_interface(handle, 0) != 0) {
            libusb_close(handle);
            handle = nullptr;
        }
        if (handle) vidPid = want;
        return handle != nullptr;
    }
};

int usbTransfer(AnyUsb& usb, const std::string& vidPid, const std::string& type,
                const std::string& endpoint, const std::string& data, int timeout) {
    if (!usb.open(vidPid)) {
        puts("error open");
        return 1;
    }
    const auto ep = static_cast<unsigned char>(strtoul(endpoint.c_str(), nullptr, 16));
    Bytes buffer = (ep & 0x80) ? Bytes(64, 0) : unhex(data);
    int done = 0;
    const int len = static_cast<int>(buffer.size());
    int r = type == "bulk"
                ? libusb_bulk_transfer(usb.handle, ep, buffer.data(), len, &done, timeout)
                : libusb_interrupt_transfer(usb.handle, ep, buffer.data(), len, &done, timeout);
    buffer.resize(r == 0 && (ep & 0x80) ? static_cast<size_t>(done) : 0);
    printf("usb %s %s %s%s%s\n", type.c_str(), endpoint.c_str(),
           r == 0 ? "ok" : libusb_error_name(r), buffer.empty() ? "" : " ", hex(buffer).c_str());
    return r == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    long long started = nowMs();
    Usb usb;
    AnyUsb anyUsb;
    int failures = 0;
    int events = -1;
    auto arg = [&](int i) { return i < argc ? std::string(argv[i]) : std::string(); };
    for (int i = 1; i < argc;) {
        std::string step = argv[i];
        if (step == "list") {
            libusb_context* fresh = nullptr;
            libusb_init(&fresh);
            libusb_device** list = nullptr;
            ssize_t n = libusb_get_device_list(fresh, &list);
            for (ssize_t k = 0; k < n; ++k) {
                libusb_device_descriptor d;
                libusb_get_device_descriptor(list[k], &d);
                printf("device %04x:%04x %03d/%03d\n", d.idVendor, d.idProduct,
                       libusb_get_bus_number(list[k]), libusb_get_device_address(list[k]));
            }
            printf("count %zd\n", n < 0 ? 0 : n);
            libusb_free_device_list(list, 1);
            libusb_exit(fresh);
            i += 1;
        } else if (step == "xfer" || step == "raw") {
            int index = atoi(arg(i + 1).c_str());
            Bytes frame;
            int timeout;
            if (step == "xfer") {
                frame = request(strtoul(arg(i + 2).c_str(), nullptr, 16),
                                strtoul(arg(i + 3).c_str(), nullptr, 16), unhex(arg(i + 4)));
                timeout = atoi(arg(i + 5).c_str());
                i += 6;
            } else {
                frame = unhex(arg(i + 2));
                timeout = atoi(arg(i + 3).c_str());
                i += 4;
            }
            if (!usb.open(index)) {
                puts("error open");
                ++failures;
                continue;
            }
            int r = sendFrame(usb, frame);
            if (r != 0) {
                printf("error send %s\n", libusb_error_name(r));
                usb.close();
                ++failures;
                continue;
            }
            Bytes reply;
            r = readFrame(usb, reply, timeout);
            if (r != 0) {
                printf("error read %s\n", libusb_error_name(r));
                if (r != LIBUSB_ERROR_TIMEOUT) usb.close();
                ++failures;
                continue;
            }
            printf("reply %s\n", describeReply(reply).c_str());
        } else if (step == "read") {
            int index = atoi(arg(i + 1).c_str());
            int timeout = atoi(arg(i + 2).c_str());
            i += 3;
            Bytes reply;
            int r = usb.open(index) ? readFrame(usb, reply, timeout) : LIBUSB_ERROR_NO_DEVICE;
            if (r == 0) {
                printf("reply %s\n", describeReply(reply).c_str());
            } else {
                printf("error read %s\n", libusb_error_name(r));
                ++failures;
            }
        } else if (step == "idle") {
            int index = atoi(arg(i + 1).c_str());
            int ms = atoi(arg(i + 2).c_str());
            i += 3;
            if (!usb.open(index)) {
                puts("error open");
                ++failures;
                continue;
            }
            rusage before, after;
            getrusage(RUSAGE_SELF, &before);
            long long start = nowMs();
            unsigned char report[64];
            int got = 0;
            // Told before the read, so that a test can act while it waits.
            puts("reading");
            int r = libusb_interrupt_transfer(usb.handle, 0x81, report, 64, &got, ms);
            long long wall = nowMs() - start;
            getrusage(RUSAGE_SELF, &after);
            auto cpu = [](const rusage& u) {
                return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000LL +
                       (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
            };
            printf("idle %s cpu_ms=%lld wall_ms=%lld\n", libusb_error_name(r),
                   cpu(after) - cpu(before), wall);
        } else if (step == "serial") {
            Bytes frame = request(strtoul(arg(i + 2).c_str(), nullptr, 16),
                                  strtoul(arg(i + 3).c_str(), nullptr, 16), unhex(arg(i + 4)));
            failures += serialExchange(arg(i + 1), frame, atoi(arg(i + 5).c_str()));
            i += 6;
        } else if (step == "serial-at") {
            Bytes frame = request(strtoul(arg(i + 4).c_str(), nullptr, 16),
                                  strtoul(arg(i + 5).c_str(), nullptr, 16), unhex(arg(i + 6)));
            failures +=
                serialExchange(arg(i + 3), frame, atoi(arg(i + 7).c_str()), arg(i + 1), arg(i + 2));
            i += 8;
        } else if (step == "usb") {
            failures += usbTransfer(anyUsb, arg(i + 1), arg(i + 2), arg(i + 3), arg(i + 4),
                                    atoi(arg(i + 5).c_str()));
            i += 6;
        } else if (step == "control") {
            failures += controlRequest(arg(i + 1));
            i += 2;
        } else if (step == "subscribe") {
            events = connectControl();
            if (events < 0) {
                puts("subscribe: cannot connect");
                ++failures;
            }
            i += 1;
        } else if (step == "events") {
            if (events >= 0) printEvents(events);
            i += 1;
        } else if (step == "strings") {
            int index = atoi(arg(i + 1).c_str());
            i += 2;
            if (!usb.open(index)) {
                puts("error open");
                ++failures;
                continue;
            }
            libusb_device_descriptor d;
            libusb_get_device_descriptor(libusb_get_device(usb.handle), &d);
            std::string texts = "strings";
            for (uint8_t idx : {d.iManufacturer, d.iProduct, d.iSerialNumber}) {
                unsigned char text[256] = {0};
                int n = idx ? libusb_get_string_descriptor_ascii(usb.handle, idx, text, sizeof text)
                            : 0;
                texts += " [" + (n > 0 ? std::string(reinterpret_cast<char*>(text), n) : "") + "]";
            }
            puts(texts.c_str());
        } else if (step == "await-devices") {
            // Polls the bus until it lists `count` devices: a replug is awaited, not slept out.
            const ssize_t count = atoi(arg(i + 1).c_str());
            const long long deadline = nowMs() + atoi(arg(i + 2).c_str());
            i += 3;
            ssize_t n = -1;
            for (;;) {
                libusb_context* fresh = nullptr;
                libusb_init(&fresh);
                libusb_device** list = nullptr;
                n = libusb_get_device_list(fresh, &list);
                if (n >= 0) libusb_free_device_list(list, 1);
                libusb_exit(fresh);
                if (n == count || nowMs() >= deadline) break;
                usleep(10000);
            }
            if (n != count) {
                printf("error await-devices %zd of %zd\n", n, count);
                ++failures;
            }
        } else if (step == "clock") {
            printf("clock %lld\n", nowMs() - started);
            i += 1;
        } else if (step == "sleep") {
            usleep(static_cast<useconds_t>(atoi(arg(i + 1).c_str())) * 1000);
            i += 2;
        } else {
            printf("unknown step %s\n", step.c_str());
            return 100;
        }
    }
    return failures;
}

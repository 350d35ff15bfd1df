#include "serial/LineSetting.h"

#include <sstream>
#include <utility>

namespace ksim::serial {

namespace {

const std::pair<speed_t, unsigned> kSpeeds[] = {
    {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
};

bool knownBaud(unsigned baud) {
    for (const auto& s : kSpeeds) {
        if (s.second == baud) return true;
    }
    return false;
}

bool parseFrame(const std::string& text, LineSetting& line) {
    // Eight data bits only: a pseudo-terminal does not tell the host's character size.
    if (text.size() != 3 || text[0] != '8') return false;
    const char parity = text[1];
    if (parity != 'N' && parity != 'E' && parity != 'O') return false;
    if (text[2] != '1' && text[2] != '2') return false;
    line.bits = static_cast<unsigned>(text[0] - '0');
    line.parity = parity;
    line.stop = static_cast<unsigned>(text[2] - '0');
    return true;
}

}  // namespace

std::string describe(const LineSetting& line) {
    std::string speed = line.baud ? std::to_string(line.baud) : std::string("other");
    return speed + " " + std::to_string(line.bits) + line.parity + std::to_string(line.stop);
}

LineSetting lineSettingOf(const termios& t) {
    LineSetting line;
    line.baud = 0;
    const speed_t speed = cfgetospeed(&t);
    for (const auto& s : kSpeeds) {
        if (s.first == speed) line.baud = s.second;
    }
    switch (t.c_cflag & CSIZE) {
        case CS5:
            line.bits = 5;
            break;
        case CS6:
            line.bits = 6;
            break;
        case CS7:
            line.bits = 7;
            break;
        default:
            line.bits = 8;
            break;
    }
    // A pseudo-terminal keeps neither the character size (always CS8) nor PARENB; a
    // host that asks for parity also asks for input parity checks, which it keeps.
    const bool parity = (t.c_cflag & PARENB) || (t.c_iflag & INPCK);
    line.parity = !parity ? 'N' : (t.c_cflag & PARODD) ? 'O' : 'E';
    line.stop = (t.c_cflag & CSTOPB) ? 2 : 1;
    return line;
}

bool takeLineSettings(const std::string& settings, std::string& rest, LineSetting& line,
                      std::string* error) {
    std::stringstream in(settings);
    std::string item;
    rest.clear();
    bool first = true;
    while (std::getline(in, item, ',')) {
        if (!first && item.rfind("baud=", 0) == 0) {
            const std::string value = item.substr(5);
            auto n = parseNumber(value, 4000000);
            if (!n || !knownBaud(static_cast<unsigned>(*n))) {
                *error = "baud '" + value +
                         "': expected 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or "
                         "230400";
                return false;
            }
            line.baud = static_cast<unsigned>(*n);
            continue;
        }
        if (!first && item.rfind("frame=", 0) == 0) {
            if (!parseFrame(item.substr(6), line)) {
                *error =
                    "frame '" + item.substr(6) + "': expected BITS PARITY STOP, e.g. 8N1 or 7E2";
                return false;
            }
            continue;
        }
        if (!first) rest += ',';
        rest += item;
        first = false;
    }
    return true;
}

Bytes garbled(const Bytes& bytes) {
    Bytes out;
    for (uint8_t b : bytes) {
        // About one byte in eight is lost to a framing error.
        if (((b ^ 0x3C) & 0x07) == 0) continue;
        auto g = static_cast<uint8_t>(((b << 3) | (b >> 5)) ^ 0xA5);
        out.push_back(g == 0xAA ? 0x2A : g);
    }
    return out;
}

}  // namespace ksim::serial

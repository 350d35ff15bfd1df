#include "RequestTarget.h"

#include <cctype>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "scheme://authority/path?query" → "/path?query"; false when the target has
// no "://" after a scheme.
bool CutAbsoluteForm(const std::string& target, std::string& origin) {
    const size_t colon = target.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    const size_t authority = colon + 3;
    const size_t end = target.find_first_of("/?", authority);
    if (end == std::string::npos) {
        origin = "/";
    } else if (target[end] == '?') {
        origin = "/" + target.substr(end);
    } else {
        origin = target.substr(end);
    }
    return true;
}

}  // namespace

std::string PercentDecode(const std::string& text, bool plusIsSpace) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
    return decoded;
}

std::string RemoveDotSegments(const std::string& path) {
    std::string output;
    size_t pos = 0;
    while (pos < path.size()) {
        // Each round takes one segment, with the "/" in front of it.
        size_t next = path.find('/', pos + 1);
        if (next == std::string::npos) next = path.size();
        const std::string segment = path.substr(pos, next - pos);
        if (segment == "/.." || segment == "..") {
            const size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
            if (next == path.size()) output.push_back('/');
        } else if (segment == "/." || segment == ".") {
            if (next == path.size()) output.push_back('/');
        } else {
            output += segment;
        }
        pos = next;
    }
    return output.empty() ? "/" : output;
}

bool ParseRequestTarget(const std::string& target, RequestTarget& parsed) {
    std::string origin;
    if (!target.empty() && target[0] == '/') {
        origin = target;
    } else if (!CutAbsoluteForm(target, origin)) {
        return false;
    }
    const size_t question = origin.find('?');
    parsed.rawPath = origin.substr(0, question);
    parsed.query = question == std::string::npos ? std::string() : origin.substr(question + 1);
    const std::string decoded = PercentDecode(parsed.rawPath, false);
    if (decoded.find('\0') != std::string::npos) return false;
    parsed.path = RemoveDotSegments(decoded);
    return true;
}

#include "UsersFile.h"

#include <cctype>

bool ParseUsersLine(const std::string& line, const std::string& domain, std::string& name,
                    WebUser& user) {
    if (line.size() > kMaxUsersLine) return false;
    const size_t first = line.find(':');
    if (first == std::string::npos) return false;
    const size_t second = line.find(':', first + 1);
    if (second == std::string::npos) return false;

    const std::string realm = line.substr(first + 1, second - first - 1);
    std::string rest = line.substr(second + 1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r' ||
                             rest.back() == '\n')) {
        rest.pop_back();
    }

    int group = 0;
    const size_t colon = rest.find(':');
    if (colon != std::string::npos) {
        size_t i = colon + 1;
        long value = 0;
        bool digits = false;
        while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])) && value < 10) {
            value = value * 10 + (rest[i++] - '0');
            digits = true;
        }
        if (digits && value >= 1 && value <= 3) group = static_cast<int>(value);
        rest.erase(colon);
    }
    if (rest.size() != 32 || realm != domain) return false;

    name = line.substr(0, first);
    if (group == 0) group = name == "admin" ? 3 : 1;
    user.ha1 = rest;
    user.group = static_cast<UserGroup>(group);
    return true;
}

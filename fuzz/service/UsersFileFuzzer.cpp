// Users files of any content, read line by line as the server loads them: an
// accepted line yields the name before its first colon, the configured realm, a
// 32-character hash taken from the line and a group from 1 to 3.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "UsersFile.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

const std::string kDomain = "lumorax";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    while (std::getline(file, line)) {
        std::string name = "unchanged";
        WebUser user;
        user.ha1 = "unchanged";
        if (!ParseUsersLine(line, kDomain, name, user)) {
            check(name == "unchanged" && user.ha1 == "unchanged");
            continue;
        }
        check(line.size() <= kMaxUsersLine);
        const size_t first = line.find(':');
        check(first != std::string::npos && name == line.substr(0, first));
        const size_t realmEnd = first + 1 + kDomain.size();
        check(line.compare(first + 1, kDomain.size(), kDomain) == 0 && line[realmEnd] == ':');
        check(user.ha1.size() == 32 && line.compare(realmEnd + 1, 32, user.ha1) == 0);
        check(user.ha1.find(':') == std::string::npos);
        const int group = static_cast<int>(user.group);
        check(group >= 1 && group <= 3);
        // Without a group of its own, only "admin" is an administrator.
        const bool ownGroup = line.size() > realmEnd + 33 && line[realmEnd + 33] == ':';
        if (!ownGroup) check(group == (name == "admin" ? 3 : 1));
    }
    return 0;
}

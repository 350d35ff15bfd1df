// Authorization headers of any content against two known accounts: parameters are
// bounded by their capacity, and a request is granted a level only when it carries
// the right password (Basic) or a fresh nonce and the right response (Digest).
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "WebAuthentication.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

const std::string kRealm = "lumorax";
const std::time_t kNow = 1700000000;

struct Account {
    std::string password;
    UserGroup group;
};
const std::map<std::string, Account> kAccounts = {{"alice", {"secret", UserGroup::Power}},
                                                  {"admin", {"root", UserGroup::Admin}}};

std::string Ha1(const std::string& name) {
    return Md5Hex(name + ":" + kRealm + ":" + kAccounts.at(name).password);
}

const char* const kParameters[] = {"username", "cnonce", "response", "uri",
                                   "qop",      "nc",     "nonce",    "realm"};

// A parameter is found the same way whatever the capacity, and only when it fits.
void checkParameter(const std::string& header, const std::string& name, size_t capacity) {
    std::string unbounded;
    const bool present = DigestParameter(header, name, header.size() + 1, unbounded);
    std::string value = "unchanged";
    const bool found = DigestParameter(header, name, capacity, value);
    if (found) {
        check(present && value == unbounded && value.size() + 1 <= capacity);
    } else {
        check(value == "unchanged");
        check(!present || unbounded.size() + 1 > capacity);
    }
}

// What a granted Digest request must have: a fresh nonce, a known user, and the
// response over the path with or without its query.
bool DigestIsRight(const AuthorizationRequest& request, const std::string& name) {
    std::string nonce, nc, cnonce, qop, response;
    const std::string& h = request.header;
    if (!DigestParameter(h, "nonce", h.size() + 1, nonce) ||
        !DigestParameter(h, "nc", h.size() + 1, nc) ||
        !DigestParameter(h, "cnonce", h.size() + 1, cnonce) ||
        !DigestParameter(h, "qop", h.size() + 1, qop) ||
        !DigestParameter(h, "response", h.size() + 1, response)) {
        return false;
    }
    const unsigned long long issued = std::stoull(nonce, nullptr, 16);
    if (issued > static_cast<unsigned long long>(kNow) || kNow - issued > kMaxNonceAgeSeconds) {
        return false;
    }
    auto expected = [&](const std::string& target) {
        return Md5Hex(Ha1(name) + ":" + nonce + ":" + nc + ":" + cnonce + ":" + qop + ":" +
                      Md5Hex(request.method + ":" + target));
    };
    if (response == expected(request.uri)) return true;
    return !request.query.empty() && response == expected(request.uri + "?" + request.query);
}

}  // namespace

// Input: the header, the method, the path and the query, one a line; a first byte
// gives the capacity the parameters are also read with.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t capacity = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) break;
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    parts.push_back(text.substr(start));
    parts.resize(4);
    const AuthorizationRequest request{parts[0], parts[1], parts[2], parts[3]};

    for (const char* name : kParameters) checkParameter(request.header, name, capacity);

    std::vector<std::string> looked;
    const WebUserLookup lookup = [&](const std::string& name, WebUser& user) {
        looked.push_back(name);
        const auto it = kAccounts.find(name);
        if (it == kAccounts.end()) return false;
        user.ha1 = Ha1(name);
        user.group = it->second.group;
        return true;
    };
    const UserGroup level = CheckAuthorization(request, kRealm, lookup, kNow);
    if (level == UserGroup::Anyone) return 0;

    // A grant names exactly one known account and is that account's level.
    check(looked.size() == 1 && kAccounts.count(looked[0]) == 1);
    const std::string& name = looked[0];
    check(level == kAccounts.at(name).group);
    const std::string& header = request.header;
    if (header.compare(0, 6, "Basic ") == 0) {
        std::string decoded;
        check(Base64Decode(header.substr(6), decoded));
        check(decoded == name + ":" + kAccounts.at(name).password);
    } else {
        check(header.compare(0, 6, "Digest") == 0 && DigestIsRight(request, name));
    }
    return 0;
}

#include "WebAuthentication.h"

#include <mbedtls/base64.h>
#include <mbedtls/md5.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

std::string Md5Hex(const std::string& text) {
    unsigned char digest[16];
    mbedtls_md5_ret(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    static const char kHex[] = "0123456789abcdef";
    std::string hex(32, '0');
    for (int i = 0; i < 16; ++i) {
        hex[2 * i] = kHex[digest[i] >> 4];
        hex[2 * i + 1] = kHex[digest[i] & 0x0f];
    }
    return hex;
}

bool Base64Decode(const std::string& text, std::string& decoded) {
    std::vector<unsigned char> buffer(text.size() / 4 * 3 + 4);
    size_t length = 0;
    if (mbedtls_base64_decode(buffer.data(), buffer.size(), &length,
                              reinterpret_cast<const unsigned char*>(text.data()),
                              text.size()) != 0) {
        return false;
    }
    decoded.assign(reinterpret_cast<const char*>(buffer.data()), length);
    return true;
}

namespace {

bool IsSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t';
}

// Reads one name=value pair at pos; quoted values may carry backslash escapes.
bool NextParameter(const std::string& text, size_t& pos, std::string& name, std::string& value) {
    while (pos < text.size() && IsSeparator(text[pos])) ++pos;
    if (pos >= text.size()) return false;
    const size_t nameStart = pos;
    while (pos < text.size() && text[pos] != '=' && !IsSeparator(text[pos])) ++pos;
    name.assign(text, nameStart, pos - nameStart);
    value.clear();
    if (pos >= text.size() || text[pos] != '=') return true;
    ++pos;
    if (pos < text.size() && text[pos] == '"') {
        ++pos;
        while (pos < text.size() && text[pos] != '"') {
            if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
            value.push_back(text[pos++]);
        }
        if (pos < text.size()) ++pos;
    } else {
        while (pos < text.size() && !IsSeparator(text[pos])) value.push_back(text[pos++]);
    }
    return true;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool ParseHexSeconds(const std::string& text, std::time_t& seconds) {
    if (text.empty() || text.size() > 16) return false;
    unsigned long long value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : std::tolower(c) - 'a' + 10);
    }
    if (value > static_cast<unsigned long long>(INT64_MAX)) return false;
    seconds = static_cast<std::time_t>(value);
    return true;
}

UserGroup CheckBasic(const std::string& encoded, const std::string& domain,
                     const WebUserLookup& lookup) {
    std::string decoded;
    if (!Base64Decode(encoded, decoded)) return UserGroup::Anyone;
    const size_t colon = decoded.find(':');
    if (colon == std::string::npos) return UserGroup::Anyone;
    const std::string name = decoded.substr(0, colon);
    const std::string password = decoded.substr(colon + 1);
    if (name.empty() || password.empty()) return UserGroup::Anyone;
    WebUser user;
    if (!lookup(name, user)) return UserGroup::Anyone;
    return Md5Hex(name + ":" + domain + ":" + password) == user.ha1 ? user.group
                                                                    : UserGroup::Anyone;
}

UserGroup CheckDigest(const AuthorizationRequest& request, const WebUserLookup& lookup,
                      std::time_t now) {
    std::string name, cnonce, response, uri, qop, nc, nonce;
    const std::string& h = request.header;
    if (!DigestParameter(h, "username", 50, name) || !DigestParameter(h, "cnonce", 45, cnonce) ||
        !DigestParameter(h, "response", 40, response) || !DigestParameter(h, "uri", 200, uri) ||
        !DigestParameter(h, "qop", 20, qop) || !DigestParameter(h, "nc", 20, nc) ||
        !DigestParameter(h, "nonce", 30, nonce)) {
        return UserGroup::Anyone;
    }
    std::time_t issued = 0;
    if (!ParseHexSeconds(nonce, issued) || issued > now || now - issued > kMaxNonceAgeSeconds) {
        return UserGroup::Anyone;
    }
    WebUser user;
    if (!lookup(name, user)) return UserGroup::Anyone;

    auto expected = [&](const std::string& target) {
        const std::string ha2 = Md5Hex(request.method + ":" + target);
        return Md5Hex(user.ha1 + ":" + nonce + ":" + nc + ":" + cnonce + ":" + qop + ":" + ha2);
    };
    if (request.query.empty()) {
        return response == expected(request.uri) ? user.group : UserGroup::Anyone;
    }
    if (response == expected(request.uri + "?" + request.query) ||
        response == expected(request.uri)) {
        return user.group;
    }
    return UserGroup::Anyone;
}

}  // namespace

bool DigestParameter(const std::string& header, const std::string& name, size_t capacity,
                     std::string& value) {
    size_t pos = StartsWith(header, "Digest") ? 6 : 0;
    std::string key, found;
    while (NextParameter(header, pos, key, found)) {
        if (key == name) {
            if (found.size() + 1 > capacity) return false;
            value = found;
            return true;
        }
    }
    return false;
}

UserGroup CheckAuthorization(const AuthorizationRequest& request, const std::string& domain,
                             const WebUserLookup& lookup, std::time_t now) {
    if (StartsWith(request.header, "Basic ")) {
        return CheckBasic(request.header.substr(6), domain, lookup);
    }
    if (StartsWith(request.header, "Digest")) return CheckDigest(request, lookup, now);
    return UserGroup::Anyone;
}

std::string AuthenticationChallenge(Authentication method, const std::string& domain,
                                    std::time_t now) {
    if (method == Authentication::Basic) {
        return "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"" + domain +
               "\"\r\nContent-Length: 0\r\n\r\n";
    }
    char nonce[32];
    std::snprintf(nonce, sizeof(nonce), "%lx", static_cast<unsigned long>(now));
    return "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest qop=\"auth\", realm=\"" + domain +
           "\", nonce=\"" + nonce + "\"\r\nContent-Length: 0\r\n\r\n";
}

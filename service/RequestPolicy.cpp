#include "RequestPolicy.h"

#include <strings.h>

#include <algorithm>
#include <boost/asio/ip/address.hpp>
#include <cctype>

namespace {

const char kAllowOrigin[] = "\r\nAccess-Control-Allow-Origin:";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsPort(std::string_view text) {
    return !text.empty() && text.size() <= 5 &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
}

// scheme "://" host [":" port], nothing after it.
bool IsOrigin(const std::string& origin) {
    const size_t scheme = origin.find("://");
    if (scheme == std::string::npos || scheme == 0) return false;
    const std::string rest = origin.substr(scheme + 3);
    if (rest.empty() || rest.find_first_of("/?#@ \t") != std::string::npos) return false;
    return std::all_of(
        origin.begin(), origin.begin() + static_cast<long>(scheme),
        [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

}  // namespace

bool IsLoopbackHost(std::string_view host) {
    std::string_view name = host;
    if (!name.empty() && name.front() == '[') {
        const size_t close = name.find(']');
        if (close == std::string_view::npos) return false;
        const std::string_view after = name.substr(close + 1);
        if (!after.empty() && (after.front() != ':' || !IsPort(after.substr(1)))) return false;
        name = name.substr(1, close - 1);
    } else {
        const size_t colon = name.rfind(':');
        if (colon != std::string_view::npos) {
            if (!IsPort(name.substr(colon + 1))) return false;
            name = name.substr(0, colon);
        }
    }
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    if (name.size() == 9 && strncasecmp(name.data(), "localhost", 9) == 0) return true;
    boost::system::error_code ec;
    const auto address = boost::asio::ip::make_address(std::string(name), ec);
    return !ec && address.is_loopback();
}

bool Admits(const RequestPolicy& policy, std::string_view host, std::string_view origin) {
    if (policy.loopbackHostsOnly && !host.empty() && !IsLoopbackHost(host)) return false;
    if (policy.allowedOrigins.empty() || origin.empty()) return true;
    const std::string lower = Lower(origin);
    return std::find(policy.allowedOrigins.begin(), policy.allowedOrigins.end(), lower) !=
           policy.allowedOrigins.end();
}

bool ParseOriginList(const std::string& text, std::vector<std::string>& origins,
                     std::string& error) {
    origins.clear();
    size_t start = 0;
    while (start < text.size()) {
        const size_t stop = std::min(text.find_first_of(", \t", start), text.size());
        if (stop > start) {
            const std::string origin = Lower(std::string_view(text).substr(start, stop - start));
            if (origin == "*" && origins.empty() && stop == text.size()) return true;
            if (!IsOrigin(origin)) {
                error = "\"" + origin + "\" is not an origin (scheme://host[:port])";
                return false;
            }
            origins.push_back(origin);
        }
        start = stop + 1;
    }
    if (origins.empty()) {
        error = "an empty list (\"*\" admits every origin)";
        return false;
    }
    return true;
}

void RewriteAllowOrigin(std::string& reply, std::string_view origin) {
    const size_t headEnd = reply.find("\r\n\r\n");
    if (headEnd == std::string::npos) return;
    for (size_t at = reply.find("\r\n"); at < headEnd; at = reply.find("\r\n", at + 2)) {
        if (strncasecmp(reply.c_str() + at, kAllowOrigin, sizeof(kAllowOrigin) - 1) != 0) continue;
        std::string replacement;
        if (!origin.empty()) {
            replacement =
                "\r\nAccess-Control-Allow-Origin: " + std::string(origin) + "\r\nVary: Origin";
        }
        reply.replace(at, reply.find("\r\n", at + 2) - at, replacement);
        return;
    }
}

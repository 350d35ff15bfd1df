// Which requests the server admits before routing them: the Host check of a
// server bound to loopback (against DNS rebinding) and the list of origins
// whose pages may call it, with the Access-Control-Allow-Origin they get.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct RequestPolicy {
    // Refuse requests whose Host names neither a loopback address nor localhost.
    bool loopbackHostsOnly = false;
    // Empty: every origin, replies as the handlers write them. Otherwise the
    // lower-case origins that are admitted and echoed.
    std::vector<std::string> allowedOrigins;
};

// "localhost" or an address of 127.0.0.0/8 or ::1, with or without a port.
bool IsLoopbackHost(std::string_view host);

// Whether a request with these headers (empty when absent) is admitted.
// A request without Host or Origin is not a browser's and passes that check.
bool Admits(const RequestPolicy& policy, std::string_view host, std::string_view origin);

// "*", or origins ("scheme://host[:port]") separated by commas or spaces;
// false with error for anything else.
bool ParseOriginList(const std::string& text, std::vector<std::string>& origins,
                     std::string& error);

// Rewrites the Access-Control-Allow-Origin line in the head at the start of
// reply: the admitted origin, with "Vary: Origin"; without an origin the line
// goes. A reply without that line is left as it is.
void RewriteAllowOrigin(std::string& reply, std::string_view origin);

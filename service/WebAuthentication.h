// Credential checks of the web server: Basic and Digest, against accounts
// whose password is stored only as MD5(name:realm:password).
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "IWebRequestHandler.h"

struct WebUser {
    std::string ha1;
    UserGroup group = UserGroup::Anyone;
};

// Finds an account by name; false when there is none.
using WebUserLookup = std::function<bool(const std::string& name, WebUser& user)>;

// Oldest Digest nonce still accepted, in seconds.
constexpr long kMaxNonceAgeSeconds = 3599;

// Lower-case hexadecimal MD5 of text.
std::string Md5Hex(const std::string& text);

// Decodes base64; false on malformed input.
bool Base64Decode(const std::string& text, std::string& decoded);

// The value of parameter name in a "Digest ..." header, quoted or bare. False
// when absent or when the value does not fit capacity bytes with its NUL.
bool DigestParameter(const std::string& header, const std::string& name, size_t capacity,
                     std::string& value);

struct AuthorizationRequest {
    std::string header;  // the Authorization header, empty when absent
    std::string method;
    std::string uri;
    std::string query;  // without "?"; empty when there is none
};

// The level the request's credentials grant: the account's group, or Anyone.
// now is the server clock in seconds, against which Digest nonces are aged.
UserGroup CheckAuthorization(const AuthorizationRequest& request, const std::string& domain,
                             const WebUserLookup& lookup, std::time_t now);

// The 401 reply that asks for credentials of the given kind.
std::string AuthenticationChallenge(Authentication method, const std::string& domain,
                                    std::time_t now);

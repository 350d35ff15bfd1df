// The server's own replies: error pages and the reason phrases of status codes.
#pragma once

#include <string>

// "Not Found" for 404; "Error" for a code without a phrase.
const char* ReasonPhrase(int status);

// A complete plain-text reply "Error <code>: <reason>" and the message on a
// line of its own; close adds "Connection: close".
std::string ErrorReply(int status, const std::string& message, bool close);

// The request target of an HTTP request line, taken apart: absolute-form
// targets are cut to their path, the path is decoded and loses its dot segments.
#pragma once

#include <string>

struct RequestTarget {
    std::string rawPath;  // as sent, without scheme, authority and query
    std::string path;     // percent-decoded, without "." and ".." segments
    std::string query;    // as sent, without "?"; empty when there is none
};

// False when the target is neither origin-form nor absolute-form, or its
// decoded path holds a NUL.
bool ParseRequestTarget(const std::string& target, RequestTarget& parsed);

// Decodes %XX escapes; with plusIsSpace also "+" as a space. A malformed
// escape stays as it is.
std::string PercentDecode(const std::string& text, bool plusIsSpace);

// Removes "." and ".." segments; ".." never climbs above the root.
std::string RemoveDotSegments(const std::string& path);

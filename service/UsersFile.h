// Lines of a users file: name:realm:hash[:group].
#pragma once

#include <string>

#include "WebAuthentication.h"

// Longest line a users file may hold; longer ones are skipped.
constexpr size_t kMaxUsersLine = 255;

// Parses one line. False for malformed lines, for another realm than domain,
// and for hashes that are not 32 characters long.
bool ParseUsersLine(const std::string& line, const std::string& domain, std::string& name,
                    WebUser& user);

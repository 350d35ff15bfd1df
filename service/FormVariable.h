// Form variables of a query string or a urlencoded body.
#pragma once

#include <string>

// The decoded value of the first "name=value" pair whose name matches
// (ignoring case); false when there is none.
bool FindFormVariable(const std::string& source, const std::string& name, std::string& value);

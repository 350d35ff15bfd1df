// A lenient checker of flat JSON objects: decides whether a property value is
// written as an object, and splits an object into its members.
#pragma once

#include <map>
#include <string>

// True when text is a JSON object; map gets its members (name to value text,
// strings unquoted, nested values re-serialised). The first of repeated names wins.
bool XSimpleJsonParser(const std::string& text, std::map<std::string, std::string>& values);

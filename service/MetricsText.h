// Pieces of the Prometheus text exposition format.
#pragma once

#include <string>
#include <string_view>

// A label value with backslash, double quote and line feed escaped.
std::string EscapeLabel(std::string_view value);

// "# HELP" and "# TYPE" lines of a metric family.
void AppendFamily(std::string& out, const char* name, const char* type, const char* help);

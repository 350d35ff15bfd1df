// In-place replacement of every occurrence of a text.
#pragma once

#include <string>

// Replaces from left to right; the search goes on after the inserted text.
std::string& StringReplace(std::string& text, const std::string& from, const std::string& to);

#pragma once
// Text helpers of the demo.
#include <string>
#include <vector>

namespace _character {

// The non-empty pieces of text between occurrences of delimiter (not empty).
std::vector<std::string> split(const std::string& text, std::string delimiter);

}  // namespace _character

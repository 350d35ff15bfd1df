#include "Character.h"

namespace _character {

std::vector<std::string> split(const std::string& text, std::string delimiter) {
    std::vector<std::string> pieces;
    if (delimiter.empty()) {
        if (!text.empty()) pieces.push_back(text);
        return pieces;
    }
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(delimiter, from);
        const std::string piece = text.substr(from, at == std::string::npos ? at : at - from);
        if (!piece.empty()) pieces.push_back(piece);
        if (at == std::string::npos) return pieces;
        from = at + delimiter.size();
    }
}

}  // namespace _character

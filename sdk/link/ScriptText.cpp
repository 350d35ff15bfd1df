#include "link/ScriptText.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "core/BaseRefer.h"

std::string ReadLine(std::string text, int* pos) {
    const size_t start = *pos < 0 ? 0 : static_cast<size_t>(*pos);
    const size_t end = text.find('\n', start);
    if (start > text.size() || end == std::string::npos) {
        *pos = 0;
        return std::string();
    }
    *pos = static_cast<int>(end + 1);
    return text.substr(start, end - start);
}

void output_script_log(std::string text, char*& out, int& room) {
    if (out == nullptr || room <= 0) return;
    const int copied = std::min(static_cast<int>(text.size()), room - 1);
    std::memcpy(out, text.data(), copied);
    out[copied] = '\0';
    out += copied;
    room -= copied;
}

namespace devlink {

namespace {

// A substitution that keeps growing (a value referring to itself) is stopped here.
constexpr size_t kMaxArgsLength = 65536;
constexpr int kMaxSubstitutions = 4096;

bool isNameChar(char c) {
    return c != ',' && c != '^' && c != ']';
}

// Reads 1 to 5 decimal digits at pos; false when there are none or more.
bool readNumber(const std::string& s, size_t& pos, int& value) {
    size_t end = pos;
    while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
    if (end == pos || end - pos > 5) return false;
    value = std::stoi(s.substr(pos, end - pos));
    pos = end;
    return true;
}

struct Reference {
    std::string text;  // the whole matched reference
    std::string name;
    int numbers[2] = {0, 0};
};

// The leftmost reference with `count` numbers (0, 1 or 2) in args.
bool findReference(const std::string& args, int count, Reference& ref) {
    for (size_t start = args.find('['); start != std::string::npos;
         start = args.find('[', start + 1)) {
        size_t pos = start + 1;
        while (pos < args.size() && isNameChar(args[pos])) ++pos;
        const size_t nameEnd = pos;
        bool ok = true;
        for (int i = 0; i < count && ok; ++i) {
            ok = pos < args.size() && args[pos] == ',';
            if (ok) {
                ++pos;
                ok = readNumber(args, pos, ref.numbers[i]);
            }
        }
        if (!ok || pos >= args.size() || args[pos] != ']') continue;
        ref.text = args.substr(start, pos + 1 - start);
        ref.name = args.substr(start + 1, nameEnd - start - 1);
        return true;
    }
    return false;
}

}  // namespace

std::string upperText(const std::string& text) {
    std::vector<char> out(text.size() + 1, '\0');
    _baseRefer::upperCase(out.data(), text.c_str());
    return std::string(out.data());
}

bool parseStatement(const std::string& line, Statement& statement) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    const size_t open = line.find('(', eq + 1);
    if (open == std::string::npos || line.size() < open + 2 || line.back() != ')') return false;
    statement.name = line.substr(0, eq);
    statement.keyword = line.substr(eq + 1, open - eq - 1);
    statement.args = line.substr(open + 1, line.size() - open - 2);
    return true;
}

bool substituteVariables(std::string& args, std::map<std::string, std::string>& variables) {
    int substitutions = 0;
    for (int count = 0; count <= 2; ++count) {
        Reference ref;
        while (findReference(args, count, ref)) {
            if (++substitutions > kMaxSubstitutions) return false;
            const std::string& value = variables[upperText(ref.name)];
            std::string replacement;
            if (count == 0) {
                replacement = value;
            } else if (count == 1) {
                replacement = value.substr(0, ref.numbers[0]);
            } else {
                if (static_cast<size_t>(ref.numbers[0]) > value.size()) return false;
                replacement = value.substr(ref.numbers[0], ref.numbers[1]);
            }
            std::string from = ref.text;
            _baseRefer::CSreplace(args, from, replacement, -1);
            if (args.size() > kMaxArgsLength) return false;
        }
    }
    return true;
}

}  // namespace devlink

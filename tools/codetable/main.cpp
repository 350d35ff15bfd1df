// codetable --write FILE | --check FILE | (no argument: standard output)
// Writes the result-code page from the SDK's code table, or checks that FILE
// equals it (exit status 1 and the first differing line when not).
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "CodeTableDocument.h"
#include "core/ResultJson.h"

namespace {

int check(const char* path, const std::string& expected) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "codetable: cannot read " << path << "\n";
        return 1;
    }
    std::ostringstream actual;
    actual << in.rdbuf();
    if (actual.str() == expected) return 0;

    std::istringstream want(expected), have(actual.str());
    std::string wantLine, haveLine;
    for (int line = 1;; ++line) {
        bool moreWant = static_cast<bool>(std::getline(want, wantLine));
        bool moreHave = static_cast<bool>(std::getline(have, haveLine));
        if (!moreWant && !moreHave) break;
        if (!moreWant || !moreHave || wantLine != haveLine) {
            std::cerr << path << ":" << line << " differs from the code table\n"
                      << "  expected: " << (moreWant ? wantLine : "(end of file)") << "\n"
                      << "  found:    " << (moreHave ? haveLine : "(end of file)") << "\n";
            break;
        }
    }
    std::cerr << "codetable: regenerate with the target update-result-codes\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string document = CodeTableDocument(BaseCode());
    if (argc == 1) {
        std::cout << document;
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return check(argv[2], document);
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << document;
        return out ? 0 : 1;
    }
    std::cerr << "usage: codetable [--write FILE | --check FILE]\n";
    return 2;
}

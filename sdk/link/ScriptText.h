// Text pieces of the device script engine: line reading, transcript output,
// statement parsing and variable references.
#pragma once

#include <map>
#include <string>

// The text from *pos to the next line feed; *pos moves past it. Without a
// following line feed: an empty line and *pos = 0.
std::string ReadLine(std::string text, int* pos);
// Copies what fits of text into out (room bytes with the NUL) and advances.
void output_script_log(std::string text, char*& out, int& room);

namespace devlink {

struct Statement {
    std::string name;
    std::string keyword;
    std::string args;
};

// NAME=KEYWORD(ARGS): NAME up to the first '=', KEYWORD up to the next '(',
// ARGS up to the closing ')' that ends the line.
bool parseStatement(const std::string& line, Statement& statement);

// Replaces [NAME], [NAME,N] and [NAME,N,M] in args with parts of the
// variables (names upper-cased; unknown names are created empty). False when
// an N lies beyond its value or the substitution does not settle.
bool substituteVariables(std::string& args, std::map<std::string, std::string>& variables);

std::string upperText(const std::string& text);

}  // namespace devlink

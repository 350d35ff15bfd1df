// Script lines of any content: statement parsing and variable substitution
// must end and stay within their strings.
#include <cstdint>
#include <map>
#include <string>

#include "link/ScriptText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::map<std::string, std::string> variables = {{"V", "ABCDEF"}, {"W", "[V"}, {"R", "[R]"}};
    int pos = 0;
    while (pos < static_cast<int>(text.size())) {
        const int before = pos;
        const std::string line = ReadLine(text, &pos);
        devlink::Statement statement;
        if (devlink::parseStatement(line, statement)) {
            devlink::substituteVariables(statement.args, variables);
            variables[devlink::upperText(statement.name)] = statement.args.substr(0, 64);
        }
        if (pos <= before) break;
    }
    char out[64];
    char* cursor = out;
    int room = sizeof(out);
    output_script_log(text, cursor, room);
    return 0;
}

#include "printer/PrinterConfig.h"

namespace ksim::printer {

std::optional<PrinterConfig> parsePrinterConfig(const std::string& text, std::string* error) {
    PrinterConfig c;
    size_t pos = 0;
    bool first = true;
    while (pos <= text.size()) {
        const size_t comma = text.find(',', pos);
        const std::string item =
            text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        pos = comma == std::string::npos ? text.size() + 1 : comma + 1;
        if (first) {
            first = false;
            if (item.empty() || item.size() > 12 || item.find('=') != std::string::npos) {
                *error = "the identity comes first, 1 to 12 characters";
                return std::nullopt;
            }
            c.identity = item;
            continue;
        }
        const size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        if (key == "fw") {
            if (value.size() > 10) {
                *error = "fw holds at most 10 characters";
                return std::nullopt;
            }
            c.firmware = value;
        } else if (key == "params") {
            auto bytes = parseHex(value);
            if (!bytes || bytes->size() > 31) {
                *error = "params is up to 31 hex bytes (the parameter block, byte 30 fast mode)";
                return std::nullopt;
            }
            c.params = *bytes;
            c.params.resize(31, 0);
        } else if (key == "busy") {
            auto n = parseNumber(value, 1000);
            if (!n) {
                *error = "busy is a number of acknowledges from 0 to 1000";
                return std::nullopt;
            }
            c.busy = static_cast<int>(*n);
        } else if (key == "card" && eq == std::string::npos) {
            c.card = true;
        } else {
            *error = "unknown key '" + key + "' (fw, params, busy, card)";
            return std::nullopt;
        }
    }
    return c;
}

}  // namespace ksim::printer

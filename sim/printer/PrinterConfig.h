#pragma once
// A simulated printer's identity and start-up settings, from --printer SETTINGS:
// IDENTITY[,fw=TEXT][,params=HEX][,busy=N][,card].
#include <optional>
#include <string>

#include "core/Hex.h"

namespace ksim::printer {

struct PrinterConfig {
    std::string identity;                 // up to 12 characters
    std::string firmware = "SIMFW-1.00";  // up to 10 characters
    Bytes params = Bytes(31, 0);          // the print parameter block
    int busy = 0;                         // acknowledges before each reply
    bool card = false;                    // a blank card inside from the start
};

std::optional<PrinterConfig> parsePrinterConfig(const std::string& text, std::string* error);

}  // namespace ksim::printer

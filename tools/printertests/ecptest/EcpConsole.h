// The menus of the printer bench console: choose a printer, then print the picture
// file or erase the card.
#pragma once

#include <cstdio>

namespace ecptool {
// Runs the dialogue on `in`/`out`; returns the process exit status.
int runConsole(std::FILE* in, std::FILE* out);
}  // namespace ecptool

#pragma once
// kiosk-sim's printer options: --printer SETTINGS adds a simulated rewritable card
// printer on USB, --cards DIR keeps every printed card as a picture file. The first
// printer also registers the printer control actions.
#include <string>

#include "app/SimContext.h"

namespace ksim::printer {

bool addUsbPrinter(const std::string& text, app::SimContext& ctx, std::string* error);
bool setCardsDir(const std::string& dir, app::SimContext& ctx, std::string* error);

extern const char kPrinterHelp[];
extern const char kCardsHelp[];

}  // namespace ksim::printer

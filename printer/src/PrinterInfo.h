// The printer information document: fetched once per record, then reported from it.
#pragma once

#include <string>

#include "PrinterCommandSet.h"

namespace ecp {
// Asks version, identity, parameters and self-check unless the record has them.
int fetchPrinterInfo(kqCR80Printer& driver, kqCR80_Pram* printer);
std::string printerInfoJson(const kqCR80_Pram& printer);
}  // namespace ecp

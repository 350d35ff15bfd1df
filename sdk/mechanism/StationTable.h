// The work stations of a mechanism: part id to name.
#pragma once

#include <map>
#include <string>

// The stations every standard mechanism has (ids 0 to 8 and 10).
void fillStationTable(std::map<int, std::string>& parts);
// The two stations of a mechanism with a transfer module (ids 9 and 11).
void addTransferStations(std::map<int, std::string>& parts);

namespace station {
constexpr int kEntrySlot = 0;
constexpr int kDirection = 1;
constexpr int kReader = 2;
constexpr int kQRCode = 3;
constexpr int kPrePrint = 4;
constexpr int kPrinter = 5;
constexpr int kFinished = 6;
constexpr int kReject = 7;
constexpr int kDetain = 8;
constexpr int kBeforeTransfer = 9;
constexpr int kReadyToPrint = 10;
constexpr int kTransfer = 11;
}  // namespace station

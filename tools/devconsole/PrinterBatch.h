// Simulated printer batch on the high-speed card machine: three card-making
// printers (stations 0, 2, 3) produce magic cards in turn, the thermal printer
// (station 1) takes each finished one and hands it to an exit slot (20 + n,
// n = accept side), the supply (100) refills the printers and the trolley
// (200) waits where the next card will be ready.
#pragma once

#include <map>
#include <ostream>
#include <vector>

#include "ConsoleState.h"
#include "DeviceRequests.h"
#include "LogSink.h"
#include "MockPrinter.h"

namespace devconsole {

// Stations that the last state read reported with a card.
using Occupancy = std::map<int, bool>;

namespace batch {
constexpr int kThermal = 1;
constexpr int kFirstExitSlot = 20;
constexpr int kExitSlots = 8;
constexpr int kSupply = 100;
constexpr int kTrolley = 200;
}  // namespace batch

// The card-making printers nearest to exit slot side first; empty for a side
// that names no slot.
std::vector<int> printerOrder(int side);

class PrinterBatch {
  public:
    // acceptSide is the console's side value, which this batch advances.
    PrinterBatch(DeviceRequests& requests, std::ostream& out, LogSink& log, int& acceptSide)
        : mRequests(requests), mOut(out), mLog(log), mAcceptSide(acceptSide) {}

    // One cycle: the separator line, then the card flow.
    int cycle(const DeviceTarget& target, std::vector<MockPrinter>& printers);
    // Each step returns 0 or the first non-zero request result.
    int createCards(const DeviceTarget& target, std::vector<MockPrinter>& printers);
    int readOccupancy(const DeviceTarget& target, Occupancy& occupied);
    // A finished magic card into the thermal printer, and a fresh one after it.
    int handOff(const DeviceTarget& target, std::vector<MockPrinter>& printers);
    // A fresh card to an empty printer, or else the trolley to where it is needed.
    int refill(const DeviceTarget& target, std::vector<MockPrinter>& printers);

  private:
    int move(const DeviceTarget& target, int from, int to);
    void announce(const std::string& text);

    DeviceRequests& mRequests;
    std::ostream& mOut;
    LogSink& mLog;
    int& mAcceptSide;
};

}  // namespace devconsole

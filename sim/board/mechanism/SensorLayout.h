#pragma once
// Where a model's sensors see the card: for each station the card can be at, the
// sensor bytes a board of that model reports (1 = card seen, before the lowest bit
// is inverted on the wire). The layouts follow how each model's driver reads its
// sensors, so that the driver's state document names the station the card is at.
#include <cstdint>
#include <optional>

#include "core/Hex.h"

namespace ksim::board::mechanism {

constexpr int kNoCard = -1;

namespace station {
constexpr int kSlot = 0;
constexpr int kReader = 2;
constexpr int kQRCode = 3;
constexpr int kPrePrint = 4;
constexpr int kPrinter = 5;
constexpr int kDetain = 8;
constexpr int kBeforeTransfer = 9;
constexpr int kTransfer = 11;
}  // namespace station

// Whether the model has a transfer module (codes 09 and 19).
bool hasTransferModule(uint8_t model);

// The physical place behind a station id of the model's station table: the
// finished and reject stations are the front slot, the three inner-track
// stations one track on the standard models, and so on. nullopt when the model
// has no such station.
std::optional<int> physicalStation(uint8_t model, int station);

// Sensor bytes (card bits) of the model with the card at a physical station.
Bytes cardBits(uint8_t model, int station);

// The bits as the board sends them: every byte's lowest bit inverted.
Bytes wireSensors(const Bytes& bits);

}  // namespace ksim::board::mechanism

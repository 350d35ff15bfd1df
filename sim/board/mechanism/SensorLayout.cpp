#include "board/mechanism/SensorLayout.h"

#include <initializer_list>

namespace ksim::board::mechanism {

namespace {

Bytes bitsAt(size_t count, std::initializer_list<int> set) {
    Bytes bits(count, 0);
    for (int i : set) bits[static_cast<size_t>(i)] = 1;
    return bits;
}

}  // namespace

bool hasTransferModule(uint8_t model) {
    return model == 0x09 || model == 0x19;
}

std::optional<int> physicalStation(uint8_t model, int station) {
    switch (station) {
        case 0:
        case 6:
        case 7:
            return station::kSlot;
        case 1:
        case 2:
            return station::kReader;
        case 3:
            // Only the flipping model 09 tells the QR-code station from the reader.
            return model == 0x09 ? station::kQRCode : station::kReader;
        case 4:
        case 10:
            return station::kPrePrint;
        case 5:
            return station::kPrinter;
        case 8:
            return station::kDetain;
        case 9:
        case 11:
            if (hasTransferModule(model)) return station;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

Bytes cardBits(uint8_t model, int station) {
    if (model == 0x09) {
        switch (station) {
            case station::kSlot:
                return bitsAt(8, {0});
            case station::kReader:
                return bitsAt(8, {0, 4});
            case station::kQRCode:
                return bitsAt(8, {4});
            case station::kPrePrint:
                return bitsAt(8, {3});
            case station::kBeforeTransfer:
                return bitsAt(8, {4, 7});
            case station::kTransfer:
                return bitsAt(8, {3, 5, 7});
            case station::kPrinter:
                return bitsAt(8, {7});
            default:
                return bitsAt(8, {});
        }
    }
    if (model == 0x19) {
        switch (station) {
            case station::kSlot:
                return bitsAt(8, {1});
            case station::kReader:
                return bitsAt(8, {0, 1, 2});
            case station::kBeforeTransfer:
                return bitsAt(8, {3});
            case station::kTransfer:
                return bitsAt(8, {4});
            case station::kPrePrint:
                return bitsAt(8, {5});
            case station::kPrinter:
                return bitsAt(8, {7});
            default:
                return bitsAt(8, {});
        }
    }
    switch (station) {
        case station::kSlot:
            return bitsAt(3, {0});
        case station::kReader:
            return bitsAt(3, {1});
        case station::kPrePrint:
            return bitsAt(3, {2});
        default:
            return bitsAt(3, {});
    }
}

Bytes wireSensors(const Bytes& bits) {
    Bytes wire;
    for (uint8_t b : bits) wire.push_back(static_cast<uint8_t>(b ^ 0x01));
    return wire;
}

}  // namespace ksim::board::mechanism

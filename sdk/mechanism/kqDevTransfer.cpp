#include "mechanism/kqDevTransfer.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <system_error>
#include <thread>

#include "mechanism/StationTable.h"

namespace {

constexpr long kLastFirmwareWithoutModule = 20180814;
constexpr short kFeedOut = 0x4002;
constexpr short kModulePosition = 0x4009;
constexpr short kModuleReset = 0x400A;
constexpr short kModuleMove = 0x4008;
constexpr short kSensorRead = 0x1002;
constexpr int kModuleTimeoutMs = 20000;
constexpr int kSettleSteps = 10;
constexpr int kSettleStepMs = 100;

unsigned char positionForOcr(unsigned char ocr) {
    static const unsigned char positions[] = {1, 0, 3, 2};
    return ocr < sizeof(positions) ? positions[ocr] : 0xFF;
}

}  // namespace

kqDevTransfer::kqDevTransfer() {
    addTransferStations(mParts);
}

long kqDevTransfer::firmwareNumber() const {
    const char* text = mInfo->firmware;
    size_t i = 0;
    while (i < kInfoTextCapacity && text[i] == ' ') ++i;
    long value = 0;
    for (; i < kInfoTextCapacity && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > (LONG_MAX - 9) / 10) break;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool kqDevTransfer::hasTransferCommands() const {
    return firmwareNumber() > kLastFirmwareWithoutModule;
}

int kqDevTransfer::_tranferPos(unsigned char position) {
    return command(kModulePosition, {position}, kModuleTimeoutMs);
}

int kqDevTransfer::_tranferReset() {
    if (!hasTransferCommands()) return 0;
    return command(kModuleReset, nullptr, 0, kModuleTimeoutMs);
}

int kqDevTransfer::runResetTask() {
    mTransferReady = false;
    try {
        std::thread task([this] { mTransferReady = _tranferReset() == 0; });
        task.join();
    } catch (const std::system_error&) {
        return kError;
    }
    return 0;
}

int kqDevTransfer::readRelativeRaw(unsigned char* raw) {
    CommandReply reply;
    const int rc = command(kSensorRead, nullptr, 0, kModuleTimeoutMs, &reply);
    if (rc != 0) return rc;
    std::memset(raw, 0, kSensorBytes);
    const int n = reply.len < kSensorBytes ? reply.len : kSensorBytes;
    for (int i = 0; i < n; ++i) raw[i] = static_cast<unsigned char>(reply.data[i] ^ 0x01);
    return 0;
}

int kqDevTransfer::_EjectCard(unsigned char mode, int) {
    try {
        const int rc = command(kPrepare, {mode}, kCommandTimeoutMs);
        if (rc != 0) return rc;
        return command(kFeedOut, nullptr, 0, kCommandTimeoutMs);
    } catch (...) {
        return kError;
    }
}

int kqDevTransfer::_toReaderPos(unsigned char) {
    try {
        return readerPos(true);
    } catch (...) {
        return kError;
    }
}

// A card still on the printer side is rolled back once; should the sensors
// still show it there afterwards, the card is simply fed in.
int kqDevTransfer::readerPos(bool mayRollBack) {
    unsigned char s[kSensorBytes] = {};
    int rc = _toGetSensors(s);
    if (rc != 0) return rc;
    if (s[0] != 1 && s[1] != 1 && s[2] != 1 && s[3] != 1 && s[7] == 1 && mayRollBack) {
        if ((rc = kqDevMid00::_toRollBackPrinter(1)) != 0) return rc;
        if ((rc = readerPos(false)) != 0) return rc;
    }
    if ((rc = _AcceptCard(0, kFeedTimeoutMs)) != 0) return rc;
    recordCard(station::kReader);
    return 0;
}

int kqDevTransfer::transfer(unsigned char position, bool byOcr, unsigned char ocr) {
    unsigned char s[kSensorBytes] = {};
    int rc = _toGetSensors(s);
    if (rc != 0) return rc;
    if (s[0] != 1 && (rc = readerPos(true)) != 0) return rc;
    if (hasTransferCommands() && !mTransferReady && (rc = _tranferReset()) != 0) return rc;
    if ((rc = _tranferPos(byOcr ? positionForOcr(ocr) : position)) != 0) return rc;
    if ((rc = command(kModuleMove, {0x00}, kModuleTimeoutMs)) != 0) return rc;
    for (int step = 0; step < kSettleSteps; ++step) sleepMs(kSettleStepMs);
    if ((rc = _tranferPos(0)) != 0) return rc;
    recordCard(station::kTransfer);
    addCard(station::kReadyToPrint);
    return 0;
}

int kqDevTransfer::_toTranfer(unsigned char side) {
    try {
        return transfer(side, false, 0);
    } catch (...) {
        return kError;
    }
}

int kqDevTransfer::_toTranferByOCR(unsigned char ocr) {
    try {
        return transfer(0, true, ocr);
    } catch (...) {
        return kError;
    }
}

int kqDevTransfer::_toPrinterReady(unsigned char side) {
    return _toTranfer(side);
}

int kqDevTransfer::_toPrinterReadyByOCR(unsigned char ocr) {
    return _toTranferByOCR(ocr);
}

int kqDevTransfer::printerPos(unsigned char side, bool byOcr, unsigned char ocr) {
    unsigned char s[kSensorBytes] = {};
    int rc = _toGetSensors(s);
    if (rc != 0) return rc;
    if (s[4] == 0 && s[5] == 0) {
        rc = byOcr ? _toPrinterReadyByOCR(ocr) : _toPrinterReady(side);
        if (rc != 0) return rc;
    }
    rc = _EjectCard(0, kFeedTimeoutMs);
    unsigned char after[kSensorBytes] = {};
    const int readRc = _toGetSensors(after);
    if (rc == 0) {
        recordCard(station::kPrinter);
        return 0;
    }
    // The card stopped short of the printer: it is at the pre-print station.
    if (readRc == 0 && after[5] != 0) recordCard(station::kPrePrint);
    return rc;
}

int kqDevTransfer::_toPrinterPos(unsigned char side) {
    try {
        return printerPos(side, false, 0);
    } catch (...) {
        return kError;
    }
}

int kqDevTransfer::_toPrinterPosByOCR(unsigned char ocr) {
    try {
        return printerPos(0, true, ocr);
    } catch (...) {
        return kError;
    }
}

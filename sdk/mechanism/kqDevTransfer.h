// What the two mechanisms with a transfer module share: the module's
// commands, the reset task after an accept, feeding out without polling and
// the moves around the reader, the module and the printer.
#pragma once

#include "mechanism/kqDevMid00.h"

class kqDevTransfer : public kqDevMid00 {
  public:
    kqDevTransfer();

    int _EjectCard(unsigned char mode, int timeoutMs) override;
    int _toReaderPos(unsigned char mode) override;
    int _toPrinterReady(unsigned char side) override;
    int _toPrinterPos(unsigned char side) override;
    int _toTranfer(unsigned char side) override;
    int _toPrinterReadyByOCR(unsigned char ocr) override;
    int _toPrinterPosByOCR(unsigned char ocr) override;
    int _toTranferByOCR(unsigned char ocr);

    int _tranferPos(unsigned char position);
    int _tranferReset();

    // The firmware text read as a decimal date; 0 without digits.
    long firmwareNumber() const;

  protected:
    // Resets the module on a thread of its own and waits for it.
    int runResetTask();
    // Whether this firmware has the transfer-module commands.
    bool hasTransferCommands() const;
    // Sends the relative sensor read and inverts the lowest bit of each
    // byte into raw (kSensorBytes, zero past the reply).
    int readRelativeRaw(unsigned char* raw);

    static constexpr short kPrepare = 0x4003;
    static constexpr short kFeedIn = 0x4001;
    static constexpr short kFeedInTransfer = 0x400D;
    static constexpr int kCommandTimeoutMs = 15000;
    static constexpr int kError = 2190;

  private:
    int readerPos(bool mayRollBack);
    int transfer(unsigned char position, bool byOcr, unsigned char ocr);
    int printerPos(unsigned char side, bool byOcr, unsigned char ocr);
};

#pragma once
// The physical state of a simulated rewritable card printer and its answers to the
// command packets: the card and its 944 x 672 image, the self-check counters, the
// print parameters, flash protection and the firmware download.
#include <json/json.h>

#include <cstdint>
#include <string>

#include "core/Hex.h"
#include "printer/PrinterConfig.h"

namespace ksim::printer {

constexpr int kRows = 944;     // along the card's x axis
constexpr int kRowBytes = 84;  // 672 dots along y, most significant bit first
constexpr int kImageBytes = kRows * kRowBytes;
constexpr int kImageLead = 50;  // zero bytes before the image in the print data

struct Rect {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

struct Answer {
    uint8_t status = 0;
    Bytes data;
    bool iap = false;  // data start at reply byte 7 instead of 8
    std::string note;  // what the printer did, for the journal
    bool printed = false;
    bool changed = false;  // the card or the printer's state changed physically
};

class PrinterModel {
  public:
    explicit PrinterModel(PrinterConfig config);

    // `data`: the request packet after its code and time stamp.
    Answer handle(uint8_t code, const Bytes& data);

    const PrinterConfig& config() const { return config_; }
    bool cardInside() const { return cardInside_; }
    // A card put in or taken out by hand; a card put in is blank.
    void setCardInside(bool inside);
    const Bytes& card() const { return card_; }
    Json::Value describe() const;

  private:
    Answer erase(const Bytes& data);
    Answer print(const Bytes& data);
    Answer iap(const Bytes& data);
    Bytes selfCheck() const;

    PrinterConfig config_;
    bool cardInside_ = false;
    Bytes card_ = Bytes(kImageBytes, 0);
    uint8_t lastPrintResult_ = 0;
    uint16_t lastPrintErrCode_ = 0;
    uint32_t totalPrints_ = 0;
    uint32_t remainTimes_ = 50000;
    uint32_t continueCount_ = 0;
    uint32_t cleanCount_ = 0;
    int erases_ = 0;
    int prints_ = 0;
    Rect lastErase_;
    bool erasedOnce_ = false;
    std::string headSerial_;
    bool flashProtected_ = true;
    Bytes firmwareImage_;
    int packages_ = 0;
    int firmwareStarts_ = 0;
    int ledOn_ = 0;
};

}  // namespace ksim::printer

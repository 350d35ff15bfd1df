#include "printer/PrinterModel.h"

#include <algorithm>

#include "printer/RequestCheck.h"

namespace ksim::printer {

namespace {

const char kBootloader[] = "SIMBOOT1.0";
constexpr uint32_t kIapBufferSize = 4096;

void put(Bytes& b, size_t at, uint32_t v, int width) {
    for (int i = 0; i < width; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t le16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

Bytes text(const std::string& s, size_t width) {
    Bytes b(s.begin(), s.end());
    b.resize(width, 0);
    return b;
}

}  // namespace

PrinterModel::PrinterModel(PrinterConfig config)
    : config_(std::move(config)), cardInside_(config_.card) {}

void PrinterModel::setCardInside(bool inside) {
    if (inside && !cardInside_) std::fill(card_.begin(), card_.end(), 0);
    cardInside_ = inside;
}

Bytes PrinterModel::selfCheck() const {
    Bytes b(15, 0);
    b[0] = 0;
    b[1] = cardInside_ ? 1 : 0;
    b[2] = lastPrintResult_;
    put(b, 3, lastPrintErrCode_, 2);
    put(b, 5, totalPrints_, 3);
    put(b, 8, remainTimes_, 2);
    put(b, 10, continueCount_, 3);
    put(b, 13, cleanCount_, 2);
    return b;
}

Answer PrinterModel::handle(uint8_t code, const Bytes& in) {
    Bytes data = in;
    if (code != 0x59) data.resize(std::max<size_t>(data.size(), 33), 0);
    Answer a;
    switch (code) {
        case 0x80:
            a.data = text(config_.firmware, 10);
            a.note = "firmware version";
            break;
        case 0x5A: {
            a.data = text(config_.identity, 12);
            Bytes extra = text("SIM-CR80-" + config_.identity, 16);
            a.data.insert(a.data.end(), extra.begin(), extra.end());
            a.note = "identity";
            break;
        }
        case 0x53:
            a.data = config_.params;
            a.note = "print parameters";
            break;
        case 0x51:
            // Bytes 29 and 30 of the block are not part of the setting.
            std::copy(data.begin(), data.begin() + 29, config_.params.begin());
            a.note = "print parameters set";
            a.changed = true;
            break;
        case 0x57:
            a.data = selfCheck();
            a.note = cardInside_ ? "self-check: card inside" : "self-check: no card";
            break;
        case 0x81:
            a.data = Bytes(10, 0);
            a.data[0] = cardInside_ ? 1 : 0;
            a.note = "sensors";
            break;
        case 0x55:
            if (cardInside_) {
                a.note = "card in: a card is inside already";
            } else {
                cardInside_ = true;
                std::fill(card_.begin(), card_.end(), 0);
                a.note = "card taken in";
                a.changed = true;
            }
            break;
        case 0x56:
            if (!cardInside_) {
                a.status = kStatusFailed;
                a.note = "card out: no card";
            } else {
                cardInside_ = false;
                a.note = data[0] ? "card put out" : "card put out (not waiting)";
                a.changed = true;
            }
            break;
        case 0x54:
            return erase(data);
        case 0x59:
            return print(data);
        case 0x5B:
            ++cleanCount_;
            continueCount_ = 0;
            a.note = "cleaned";
            a.changed = true;
            break;
        case 0x5C:
            totalPrints_ = continueCount_ = cleanCount_ = 0;
            a.note = "print counters reset";
            a.changed = true;
            break;
        case 0x5D:
            headSerial_.assign(data.begin(), std::find(data.begin(), data.begin() + 16, 0));
            a.note = "print head serial " + headSerial_;
            break;
        case 0xA0:
        case 0xA2:
            a.note = code == 0xA0 ? "stepper motor move" : "DC motor move";
            break;
        case 0xA4:
            ledOn_ = data[0];
            a.note = ledOn_ ? "LED on" : "LED off";
            break;
        case 0x5E:
            a.note = "USB ids set (ignored)";
            break;
        case 0x60:
            return iap(data);
        default:
            a.note = "unknown command, answered as done";
            break;
    }
    return a;
}

Answer PrinterModel::erase(const Bytes& d) {
    Answer a;
    if (!cardInside_) {
        a.status = kStatusFailed;
        a.note = "erase: no card";
        return a;
    }
    Rect r;
    if (d[0] == 0 && d[1] == 1) {
        r = {0, kRows - 1, 0, kRowBytes * 8 - 1};
    } else {
        r.y0 = le16(d, 2);
        r.y1 = le16(d, 4);
        r.x0 = le16(d, 6);
        r.x1 = le16(d, 8);
    }
    for (int x = r.x0; x <= std::min(r.x1, kRows - 1); ++x) {
        for (int y = r.y0; y <= std::min(r.y1, kRowBytes * 8 - 1); ++y) {
            card_[static_cast<size_t>(x * kRowBytes + y / 8)] &=
                static_cast<uint8_t>(~(0x80 >> (y % 8)));
        }
    }
    lastErase_ = r;
    erasedOnce_ = true;
    ++erases_;
    a.note = "erased x " + std::to_string(r.x0) + "-" + std::to_string(r.x1) + " y " +
             std::to_string(r.y0) + "-" + std::to_string(r.y1);
    a.changed = true;
    return a;
}

Answer PrinterModel::print(const Bytes& d) {
    Answer a;
    if (d.size() < static_cast<size_t>(kImageLead + kImageBytes)) {
        a.status = kStatusFailed;
        a.note = "print: " + std::to_string(d.size()) + " data bytes, a whole image needs " +
                 std::to_string(kImageLead + kImageBytes);
        return a;
    }
    if (!cardInside_) {
        a.status = kStatusFailed;
        lastPrintResult_ = 1;
        a.note = "print: no card";
        return a;
    }
    // The print data carry the image inverted: a 0 bit is a dot to print.
    for (int i = 0; i < kImageBytes; ++i) {
        card_[static_cast<size_t>(i)] |=
            static_cast<uint8_t>(~d[static_cast<size_t>(kImageLead + i)]);
    }
    ++prints_;
    ++totalPrints_;
    ++continueCount_;
    if (remainTimes_ > 0) --remainTimes_;
    lastPrintResult_ = 0;
    a.note = "printed";
    a.printed = true;
    a.changed = true;
    return a;
}

Answer PrinterModel::iap(const Bytes& d) {
    Answer a;
    a.iap = true;
    a.data = Bytes(11, 0);
    a.data[0] = d[0];
    switch (d[0]) {
        case 0x61:
            a.data[1] = d[1];
            a.note = "IAP reset";
            break;
        case 0x62: {
            const Bytes v = text(kBootloader, 10);
            std::copy(v.begin(), v.end(), a.data.begin() + 1);
            a.note = "IAP bootloader version";
            break;
        }
        case 0x63:
            a.data[1] = flashProtected_ ? 0x55 : 0xAA;
            a.note = "IAP flash protection read";
            break;
        case 0x64:
            if (d[1] == 0x55 || d[1] == 0xAA) flashProtected_ = d[1] == 0x55;
            a.data[1] = flashProtected_ ? 0x55 : 0xAA;
            a.note = flashProtected_ ? "IAP flash protected" : "IAP flash unprotected";
            a.changed = true;
            break;
        case 0xFE:
            put(a.data, 1, kIapBufferSize, 4);
            a.note = "IAP buffer size";
            break;
        case 0xED:
            if (flashProtected_) {
                a.data[1] = 0xFF;
                a.note = "IAP erase refused: flash protected";
            } else {
                firmwareImage_.clear();
                a.note = "IAP flash erased";
                a.changed = true;
            }
            break;
        case 0xEA:
            // Package bytes follow kind and sequence; the last ten arrive as zeros.
            if (!flashProtected_) {
                firmwareImage_.insert(firmwareImage_.end(), d.begin() + 3, d.end());
                ++packages_;
            }
            a.data[1] = flashProtected_ ? 0xFF : 0;
            a.note = "IAP package " + std::to_string(d[2]) + " of " + std::to_string(d.size() - 3) +
                     " bytes" + (flashProtected_ ? " refused: flash protected" : "");
            break;
        case 0x1D:
            ++firmwareStarts_;
            a.note = "IAP start program";
            a.changed = true;
            break;
        default:
            a.note = "IAP unknown sub-command";
            break;
    }
    return a;
}

Json::Value PrinterModel::describe() const {
    Json::Value v;
    v["identity"] = config_.identity;
    v["firmware"] = config_.firmware;
    v["busy"] = config_.busy;
    v["card_inside"] = cardInside_;
    v["fast_mode"] = config_.params[30];
    v["params"] = toHex(config_.params);
    v["total_prints"] = totalPrints_;
    v["continue_count"] = continueCount_;
    v["clean_count"] = cleanCount_;
    v["remain_times"] = remainTimes_;
    v["prints"] = prints_;
    v["erases"] = erases_;
    if (erasedOnce_) {
        Json::Value r;
        r["x0"] = lastErase_.x0;
        r["x1"] = lastErase_.x1;
        r["y0"] = lastErase_.y0;
        r["y1"] = lastErase_.y1;
        v["last_erase"] = r;
    }
    int dots = 0;
    for (uint8_t b : card_) dots += __builtin_popcount(b);
    v["card_dots"] = dots;
    v["head_serial"] = headSerial_;
    v["flash_protected"] = flashProtected_;
    v["firmware_bytes"] = static_cast<Json::UInt64>(firmwareImage_.size());
    v["firmware_packages"] = packages_;
    v["firmware_starts"] = firmwareStarts_;
    v["led"] = ledOn_;
    return v;
}

}  // namespace ksim::printer

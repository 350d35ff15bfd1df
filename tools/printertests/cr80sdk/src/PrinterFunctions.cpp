// Printers and cards, on top of the printer driver's exported functions.
#include <cstdio>
#include <vector>

#include "ErrorText.h"
#include "KQCR80Printer.h"
#include "PrintRaster.h"
#include "Sessions.h"
#include "TextOut.h"

using namespace kqcr80;

namespace {

// Sets the driver's erase rectangle to `rect` (canvas pixels, already turned) or to
// the whole print area. The driver converts millimetres with offsets of 2.8 mm along
// x and 0.8 mm along y; they are added here so the dots come out as computed.
void setEraseRect(kqCR80_Pram* printer, const std::optional<PixelRect>& rect) {
    constexpr double kDotsPerMm = 11.8;
    constexpr double kEpsilon = 1e-6;  // keeps trunc() from losing a dot to rounding
    if (!rect) {
        kq_ecp_set_eraserect(printer, 0, -0.8, 80, 57);
        return;
    }
    const double x0 = rect->x * kRasterRows / KQCR80_CANVAS_WIDTH;
    const double x1 = (rect->x + rect->w) * kRasterRows / KQCR80_CANVAS_WIDTH;
    const double y0 = rect->y * kRasterDots / KQCR80_CANVAS_HEIGHT;
    const double y1 = (rect->y + rect->h) * kRasterDots / KQCR80_CANVAS_HEIGHT;
    kq_ecp_set_eraserect(printer, x0 / kDotsPerMm + 2.8 + kEpsilon,
                         y0 / kDotsPerMm - 0.8 + kEpsilon, (x1 - x0) / kDotsPerMm,
                         (y1 - y0) / kDotsPerMm);
}

}  // namespace

extern "C" {

int libCR80LibInit(void) {
    return guarded([] { return KQCR80_OK; });
}

int libCR80LibClear(void) {
    return guarded([] {
        clearSessions();
        return kq_ecp_close();
    });
}

int libCR80EnumUsbPrt(char* list, int* length, int* count) {
    if (!list || !length || !count) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        const long capacity = *length > 0 ? *length : KQCR80_LIST_CAPACITY;
        std::vector<char> text(KQCR80_LIST_CAPACITY, 0);
        unsigned int textLength = KQCR80_LIST_CAPACITY;
        int printers = 0;
        int rc = kq_ecp_enum(text.data(), &textLength, &printers);
        // The driver answers -1 when no printer is attached: an empty list.
        if (rc == -1) {
            text[0] = 0;
            textLength = 0;
            printers = 0;
        } else if (rc != 0) {
            return rc;
        }
        if (int copied = copyText(std::string(text.data(), textLength), list, capacity))
            return copied;
        *length = static_cast<int>(textLength);
        *count = printers;
        return KQCR80_OK;
    });
}

int libCR80SelectPrt(const char* sn) {
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        kqCR80_Pram* printer = nullptr;
        return openPrinter(sn, &printer);
    });
}

int libCR80IsFeederNoEmpty(const char* sn, int* hasCard) {
    if (!validSn(sn) || !hasCard) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        if (int rc = learnState(sn, s)) return rc;
        *hasCard = s.cardInside ? 1 : 0;
        return KQCR80_OK;
    });
}

int libCR80GetCardPos(const char* sn, int* position) {
    return libCR80IsFeederNoEmpty(sn, position);
}

int libCR80GetPrtInfo(const char* sn, char* json, int capacity) {
    if (!validSn(sn) || !json || capacity <= 0) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        kqCR80_Pram* printer = nullptr;
        if (int rc = openPrinter(sn, &printer)) return rc;
        std::vector<char> info(8192, 0);
        if (int rc = kq_ecp_info(printer, info.data())) return rc;
        return copyText(info.data(), json, capacity);
    });
}

int libCR80GetRbnAndFilmRemaining(const char* sn, char* text) {
    if (!validSn(sn) || !text) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        if (int rc = learnState(sn, s)) return rc;
        char line[KQCR80_TEXT_CAPACITY];
        std::snprintf(line, sizeof line, "可擦写卡打印机，无色带和膜；剩余打印次数%u，已打印%u张",
                      s.remaining, s.totalPrinted);
        return copyText(line, text, KQCR80_TEXT_CAPACITY);
    });
}

int libCR80TranslateSDKErrCode(int code, char* text, int capacity) {
    if (!text || capacity <= 0) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        const std::string message = errorText(code);
        // Cut at a character boundary so the text stays valid UTF-8.
        size_t n = std::min(message.size(), static_cast<size_t>(capacity) - 1);
        while (n > 0 && n < message.size() && (message[n] & 0xC0) == 0x80) --n;
        std::memcpy(text, message.data(), n);
        text[n] = 0;
        return KQCR80_OK;
    });
}

int libCR80CardInject(const char* sn, int mode) {
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        kqCR80_Pram* printer = nullptr;
        if (int rc = openPrinter(sn, &printer)) return rc;
        const int rc = kq_ecp_accept(printer, mode);
        if (rc == 0) {
            Session& s = session(sn);
            s.cardInside = true;
            learnState(sn, s);
        }
        return rc;
    });
}

int libCR80CardEject(const char* sn, int) {
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        kqCR80_Pram* printer = nullptr;
        if (int rc = openPrinter(sn, &printer)) return rc;
        const int rc = kq_ecp_eject(printer);
        if (rc == 0) {
            Session& s = session(sn);
            learnState(sn, s);
            s.cardInside = false;
        }
        return rc;
    });
}

int libCR80PrintDraw(const char* sn, const void* data, int size, int, int) {
    if (!validSn(sn) || !data || size <= 0) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Picture picture;
        if (!decodeBmp(static_cast<const uint8_t*>(data), static_cast<size_t>(size), &picture))
            return KQCR80_BAD_LENGTH;
        std::vector<uint8_t> raster = toRaster(picture);
        kqCR80_Pram* printer = nullptr;
        if (int rc = openPrinter(sn, &printer)) return rc;
        Session& s = session(sn);
        learnState(sn, s);
        std::optional<PixelRect> erase = s.erase;
        if (erase && s.rotation == 180)
            erase = PixelRect{KQCR80_CANVAS_WIDTH - erase->x - erase->w,
                              KQCR80_CANVAS_HEIGHT - erase->y - erase->h, erase->w, erase->h};
        setEraseRect(printer, erase);
        const int rc = kq_ecp_print(printer, reinterpret_cast<char*>(raster.data()), kRasterBytes,
                                    kRasterRows, kRasterDots);
        if (rc == 0) {
            if (s.remaining > 0) --s.remaining;
            ++s.totalPrinted;
        }
        return rc;
    });
}

}  // extern "C"

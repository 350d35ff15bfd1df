// The exported functions: one driver object for the process, records as handles.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "LinkCodes.h"
#include "PrinterCommandSet.h"
#include "PrinterInfo.h"
#include "kqCR80Printer.h"

namespace {
std::unique_ptr<kqCR80Printer> _kqCR80Prt;

template <typename Fn>
int guarded(Fn fn) noexcept {
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        return ecp::kNoMemory;
    } catch (...) {
        return -1;
    }
}

// A handle must be one of the driver's records; one whose port was released by
// kq_ecp_close gets its printer opened again before any traffic.
int usable(kqCR80_Pram* printer, bool needsPort) {
    if (!_kqCR80Prt) return ecp::kNoDriver;
    if (!printer || !_kqCR80Prt->owns(printer)) return ecp::kBadArgument;
    return needsPort ? _kqCR80Prt->ensurePort(printer) : 0;
}
}  // namespace

extern "C" int kq_ecp_enum(char* list, unsigned int* length, int* count) {
    return guarded([&] {
        if (!list || !length) return ecp::kBadArgument;
        if (!_kqCR80Prt) {
            auto driver = std::make_unique<kqCR80Printer>();
            const int r = driver->OpenWithPid(ecp::kVendorId, ecp::kProductId);
            if (r != 0) return r;
            _kqCR80Prt = std::move(driver);
        }
        std::string joined;
        for (const auto& entry : _kqCR80Prt->printers()) {
            if (!joined.empty()) joined += '\n';
            joined += entry.first;
        }
        if (joined.size() + 1 > *length) return ecp::kFrameTooLong;
        std::memcpy(list, joined.c_str(), joined.size() + 1);
        *length = static_cast<unsigned int>(joined.size());
        if (count) *count = static_cast<int>(_kqCR80Prt->printers().size());
        return 0;
    });
}

extern "C" int kq_ecp_open(const char* identity, kqCR80_Pram** printer) {
    return guarded([&] {
        if (!_kqCR80Prt) return ecp::kNoDriver;
        if (!identity || !printer) return ecp::kBadArgument;
        kqCR80_Pram* found = _kqCR80Prt->findPrinter(identity);
        if (!found) return ecp::kUnknownPrinter;
        *printer = found;
        return 0;
    });
}

extern "C" int kq_ecp_close(void) {
    return guarded([] {
        if (_kqCR80Prt) _kqCR80Prt->Close();
        return 0;
    });
}

extern "C" int kq_ecp_info(kqCR80_Pram* printer, char* json) {
    return guarded([&] {
        if (!json) return ecp::kBadArgument;
        int r = usable(printer, false);
        if (r == 0 && !printer->infoDone) r = _kqCR80Prt->ensurePort(printer);
        if (r != 0) return r;
        r = ecp::fetchPrinterInfo(*_kqCR80Prt, printer);
        if (r != 0) return r;
        const std::string text = ecp::printerInfoJson(*printer);
        std::memcpy(json, text.c_str(), text.size() + 1);
        return 0;
    });
}

extern "C" int kq_ecp_accept(kqCR80_Pram* printer, int mode) {
    return guarded([&] {
        int r = usable(printer, true);
        if (r != 0) return r;
        if (mode != 0 && mode != 1) return ecp::kBadArgument;
        unsigned char status = 0, position = 0, result = 0;
        unsigned short errCode = 0;
        unsigned int total = 0, remain = 0, cont = 0, clean = 0;
        r = _kqCR80Prt->SelfChecking(printer, 0, &status, &position, &result, &errCode, &total,
                                     &remain, &cont, &clean);
        if (r != 0) return r;
        return _kqCR80Prt->InCard(printer, static_cast<unsigned char>(mode));
    });
}

extern "C" int kq_ecp_eject(kqCR80_Pram* printer) {
    return guarded([&] {
        int r = usable(printer, true);
        if (r != 0) return r;
        unsigned char status = 0, position = 0, result = 0;
        unsigned short errCode = 0;
        unsigned int total = 0, remain = 0, cont = 0, clean = 0;
        r = _kqCR80Prt->SelfChecking(printer, 0, &status, &position, &result, &errCode, &total,
                                     &remain, &cont, &clean);
        if (r != 0) return r;
        if (position == 0) return 0;
        return _kqCR80Prt->OutCard(printer);
    });
}

extern "C" int kq_ecp_set_eraserect(kqCR80_Pram* printer, double x, double y, double width,
                                    double height) {
    return guarded([&] {
        const int r = usable(printer, false);
        if (r != 0) return r;
        return kqCR80Printer::SetEraseRect(printer, x, y, width, height);
    });
}

extern "C" int kq_ecp_erase(kqCR80_Pram* printer) {
    return guarded([&] {
        const int r = usable(printer, true);
        if (r != 0) return r;
        return _kqCR80Prt->EraseCard(printer);
    });
}

extern "C" int kq_ecp_print(kqCR80_Pram* printer, char* image, int, int, int) {
    return guarded([&] {
        const int r = usable(printer, true);
        if (r != 0) return r;
        return _kqCR80Prt->ImageTransmission(printer, image);
    });
}

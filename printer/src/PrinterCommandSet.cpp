#include "PrinterCommandSet.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "ImagePacket.h"
#include "LinkCodes.h"

namespace {
constexpr int kTimeoutMs = 5000;
constexpr int kRetries = 3;
constexpr int kImageTimeoutMs = 20000;
constexpr int kImageRetries = 2;
constexpr int kPrintBufferBytes = 102400;
constexpr int kEraseDataLen = 33;
constexpr double kDotsPerMm = 11.8;
constexpr unsigned short kLastX = 943;
constexpr unsigned short kLastY = 671;
const char kResetAccessText[] = "mv_clear_usage_counter_zz";

void put16(unsigned char* at, unsigned short v) {
    at[0] = static_cast<unsigned char>(v & 0xFF);
    at[1] = static_cast<unsigned char>(v >> 8);
}

// Millimetres to dots, truncated; past the edge the full count. Negative or NaN
// positions would make the truncation undefined, so they count as the edge at 0.
unsigned short toDots(double mm, double limitMm, unsigned short full) {
    if (!(mm > 0)) return 0;
    if (mm > limitMm) return full;
    return static_cast<unsigned short>(mm * kDotsPerMm);
}

void putRect(unsigned char* at, const kqCR80_Pram& p) {
    put16(at, p.eraseY0);
    put16(at + 2, p.eraseY1);
    put16(at + 4, p.eraseX0);
    put16(at + 6, p.eraseX1);
}
}  // namespace

kqCR80Printer::~kqCR80Printer() {
    Close();
    mPrinters.clear();
}

std::unique_ptr<UsbPort> kqCR80Printer::makePort() {
    return std::make_unique<UsbPort>();
}

int kqCR80Printer::OpenWithPid(unsigned short vid, unsigned short pid) {
    const int r = kq_ecp_001::OpenWithPid(vid, pid);
    buildRecords();
    return r;
}

void kqCR80Printer::buildRecords() {
    std::vector<UsbPort*> opened;
    for (const auto& port : ports()) opened.push_back(port.get());
    int position = 0;
    for (UsbPort* port : opened) {
        auto record = std::make_unique<kqCR80_Pram>();
        record->port = port;
        std::snprintf(record->printerName, sizeof record->printerName, "CXBPrinter_%d", position++);
        if (GetID(port, nullptr, nullptr, nullptr, record->id, record->idExtra) != 0) {
            // Nothing could reach this port again: release the printer now.
            dropPort(port);
            continue;
        }
        record->device.reset(port->device());
        const std::string key = record->id;
        auto existing = mPrinters.find(key);
        if (existing != mPrinters.end()) {
            if (existing->second->port) dropPort(existing->second->port);
            existing->second = std::move(record);
        } else {
            mPrinters.emplace(key, std::move(record));
        }
    }
}

int kqCR80Printer::Close() {
    for (auto& entry : mPrinters) {
        kqCR80_Pram& record = *entry.second;
        if (record.port) record.savedSequence = record.port->sequence();
        record.port = nullptr;
    }
    return kq_ecp_001::Close();
}

kqCR80_Pram* kqCR80Printer::findPrinter(const std::string& id) const {
    const auto it = mPrinters.find(id);
    return it == mPrinters.end() ? nullptr : it->second.get();
}

bool kqCR80Printer::owns(const kqCR80_Pram* printer) const {
    for (const auto& entry : mPrinters) {
        if (entry.second.get() == printer) return true;
    }
    return false;
}

int kqCR80Printer::ensurePort(kqCR80_Pram* printer) {
    if (printer->port) return 0;
    auto port = makePort();
    port->setSequence(printer->savedSequence);
    if (port->Open(printer->device.get()) != 0) return ecp::kWriteFailed;
    printer->port = addPort(std::move(port));
    return 0;
}

int kqCR80Printer::command(kqCR80_Pram* printer, short cmd, const unsigned char* data, int len,
                           unsigned char* reply, int replyLen) {
    std::vector<char> request(data, data + len);
    std::vector<char> scratch(static_cast<std::size_t>(replyLen));
    char* out = reply ? reinterpret_cast<char*>(reply) : scratch.data();
    int outLen = 0;
    return SendCommond(printer->port, cmd, len ? request.data() : nullptr, len, out, &outLen,
                       replyLen, kTimeoutMs, kRetries);
}

int kqCR80Printer::SelfChecking(kqCR80_Pram* printer, unsigned char mode, unsigned char* o1,
                                unsigned char* o2, unsigned char* o3, unsigned short* o4,
                                unsigned int* o5, unsigned int* o6, unsigned int* o7,
                                unsigned int* o8, unsigned char* s1, unsigned char* s2,
                                unsigned short* s3) {
    return kq_ecp_001::SelfChecking(printer->port, mode, o1, o2, o3, o4, o5, o6, o7, o8, s1, s2,
                                    s3);
}

int kqCR80Printer::GetSensorStatus(kqCR80_Pram* printer, unsigned char* status, unsigned char*,
                                   unsigned char*, unsigned short*) {
    unsigned char reply[10];
    const int r = command(printer, 0x81, nullptr, 0, reply);
    // The status word is the first four data bytes of the sensor reply.
    if (r == 0 && status) std::memcpy(status, reply, 4);
    return r;
}

int kqCR80Printer::GetPrintPara(kqCR80_Pram* printer, unsigned char*, unsigned char*,
                                unsigned short*) {
    unsigned char b[31];
    const int r = command(printer, 0x53, nullptr, 0, b, 31);
    if (r != 0) return r;
    printer->para0 = b[0];
    printer->para1Hi = b[1] <= 3 ? static_cast<unsigned char>(b[1] >> 1) : 0;
    printer->para1Lo = b[1] <= 3 ? static_cast<unsigned char>(b[1] & 1) : 0;
    std::memcpy(printer->para2to21, b + 2, 20);
    printer->para22 = b[22];
    printer->para23 = b[23];
    printer->para24 = b[24];
    printer->para25to28 = b[25] | b[26] << 8 | b[27] << 16 | static_cast<unsigned>(b[28]) << 24;
    printer->para29 = b[29];
    printer->fastMode = b[30];
    return 0;
}

int kqCR80Printer::SetPrintPara(kqCR80_Pram* printer, unsigned char*, unsigned char*,
                                unsigned short*) {
    kqCR80_Pram& p = *printer;
    if (p.para0 > 2 || p.para1Hi > 1 || p.para22 > 1 || p.para1Lo > 1 || p.para23 > 1 ||
        p.para24 > 2 || p.para29 > 1) {
        return ecp::kBadArgument;
    }
    unsigned char data[29];
    data[0] = p.para0;
    if (p.para1Hi) {
        data[1] = 1;
    } else {
        data[1] = p.para1Lo;
        p.para1Hi = p.para1Lo;
    }
    std::memcpy(data + 2, p.para2to21, 20);
    data[22] = p.para22;
    data[23] = p.para23;
    data[24] = p.para24;
    for (int i = 0; i < 4; ++i) data[25 + i] = static_cast<unsigned char>(p.para25to28 >> (8 * i));
    return command(printer, 0x51, data, 29);
}

int kqCR80Printer::SetPrintHeadSrn(kqCR80_Pram* printer, char* serial, unsigned char*,
                                   unsigned char*, unsigned short*) {
    if (!serial || strnlen(serial, 16) != 15) return ecp::kBadArgument;
    unsigned char data[16] = {};
    std::memcpy(data, serial, 15);
    return command(printer, 0x5D, data, 16);
}

int kqCR80Printer::EraseWholeCard(kqCR80_Pram* printer, unsigned char*, unsigned char*,
                                  unsigned short*) {
    unsigned char data[kEraseDataLen] = {0x00, 0x01};
    return command(printer, 0x54, data, kEraseDataLen);
}

int kqCR80Printer::EraseCard(kqCR80_Pram* printer, unsigned char*, unsigned char*,
                             unsigned short*) {
    unsigned char data[kEraseDataLen] = {0x01, 0x01};
    putRect(data + 2, *printer);
    return command(printer, 0x54, data, kEraseDataLen);
}

int kqCR80Printer::EraseBeforePrint(kqCR80_Pram* printer, unsigned char mode, unsigned char*,
                                    unsigned char*, unsigned short*) {
    if (mode > 1) return ecp::kBadArgument;
    unsigned char data[kEraseDataLen] = {mode, 0x00};
    putRect(data + 2, *printer);
    return command(printer, 0x54, data, kEraseDataLen);
}

int kqCR80Printer::InCard(kqCR80_Pram* printer, unsigned char mode, unsigned char*, unsigned char*,
                          unsigned short*) {
    if (mode > 1) return ecp::kBadArgument;
    unsigned char data[10] = {mode};
    return command(printer, 0x55, data, 10);
}

int kqCR80Printer::OutCard(kqCR80_Pram* printer, unsigned char*, unsigned char*, unsigned short*) {
    unsigned char data[10] = {0x01};
    return command(printer, 0x56, data, 10);
}

int kqCR80Printer::OutCardNotWait(kqCR80_Pram* printer, unsigned char*, unsigned char*,
                                  unsigned short*) {
    unsigned char data[10] = {};
    return command(printer, 0x56, data, 10);
}

int kqCR80Printer::Clean(kqCR80_Pram* printer, unsigned char*, unsigned char*, unsigned short*) {
    return command(printer, 0x5B, nullptr, 0);
}

int kqCR80Printer::ResetPrintStatistics(kqCR80_Pram* printer, char* accessText, unsigned char*,
                                        unsigned char*, unsigned short*) {
    if (!accessText || std::strncmp(accessText, kResetAccessText, 25) != 0) {
        return ecp::kWrongAccessText;
    }
    return command(printer, 0x5C, nullptr, 0);
}

int kqCR80Printer::CtrlStepperMotor(kqCR80_Pram* printer, unsigned char motor, unsigned char action,
                                    unsigned short p1, unsigned short p2, unsigned char p3,
                                    unsigned char p4, unsigned char*, unsigned char*,
                                    unsigned short*) {
    if (motor > 1 || action > 2) return ecp::kBadArgument;
    unsigned char data[8] = {motor, action};
    put16(data + 2, p1);
    put16(data + 4, p2);
    data[6] = p3;
    data[7] = p4;
    return command(printer, 0xA0, data, 8);
}

int kqCR80Printer::CtrlDCMotor(kqCR80_Pram* printer, unsigned char motor, unsigned char action,
                               unsigned char*, unsigned char*, unsigned short*) {
    if (motor > 3) return ecp::kBadArgument;
    if (action > (motor <= 1 ? 2 : 1)) return ecp::kBadArgument;
    unsigned char data[2] = {motor, action};
    return command(printer, 0xA2, data, 2);
}

int kqCR80Printer::LedTest(kqCR80_Pram* printer, unsigned char on, unsigned char*, unsigned char*,
                           unsigned short*) {
    if (on > 1) return ecp::kBadArgument;
    unsigned char data[10] = {on};
    return command(printer, 0xA4, data, 10);
}

int kqCR80Printer::ImageTransmission(kqCR80_Pram* printer, char* image, unsigned char,
                                     unsigned char*, unsigned char*, unsigned short*) {
    if (!image) return ecp::kBadArgument;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kPrintBufferBytes]);
    if (!buffer) return ecp::kNoMemory;
    const bool reverse = printer->fastMode == 1 && printer->para0 <= 1;
    const auto* src = reinterpret_cast<const unsigned char*>(image);
    unsigned char* dst = buffer.get();
    auto prepare = [src, reverse, dst] { ecp::prepareImagePacket(src, reverse, dst); };

    // The packet is prepared while the card is erased; without a thread it is made afterwards.
    std::thread worker;
    try {
        worker = std::thread(prepare);
    } catch (const std::exception&) {
    }
    const int erased = EraseBeforePrint(printer, 1);
    if (worker.joinable()) {
        worker.join();
    } else if (erased == 0) {
        prepare();
    }
    if (erased != 0) return erased;
    char reply[10];
    int replyLen = 0;
    return SendCommond59(printer->port, 0x59, reinterpret_cast<char*>(dst), ecp::kImagePacketBytes,
                         reply, &replyLen, 10, kImageTimeoutMs, kImageRetries);
}

int kqCR80Printer::CleanByRoller(kqCR80_Pram* printer, unsigned char*, unsigned char*,
                                 unsigned short*) {
    for (int move = 0; move < 30; ++move) {
        const unsigned char action = move % 2 == 0 ? 1 : 2;
        const int r = CtrlStepperMotor(printer, 0, action, 1367, 2000, 0, 0);
        if (r != 0) return r;
        std::this_thread::sleep_for(std::chrono::milliseconds(mRollerPauseMs));
    }
    return 0;
}

int kqCR80Printer::SetEraseRectPixel(kqCR80_Pram* printer, unsigned short x, unsigned short y,
                                     unsigned short w, unsigned short h) {
    printer->eraseX0 = x;
    printer->eraseX1 = static_cast<unsigned short>(x + w - 1);
    printer->eraseY0 = y;
    printer->eraseY1 = static_cast<unsigned short>(y + h - 1);
    return 0;
}

int kqCR80Printer::SetEraseRect(kqCR80_Pram* printer, double x, double y, double w, double h) {
    printer->eraseMm[0] = x;
    printer->eraseMm[1] = y;
    printer->eraseMm[2] = w;
    printer->eraseMm[3] = h;
    const double xStart = x < 2.8 ? 0 : x - 2.8;
    const double xEnd = x < 2.8 ? w : w + (x - 2.8);
    const double yStart = y + 0.8;
    const double yEnd = h + y + 0.8;
    printer->eraseX0 = std::min(toDots(xStart, 80, 944), kLastX);
    printer->eraseX1 = std::min(toDots(xEnd, 80, 944), kLastX);
    printer->eraseY0 = std::min(toDots(yStart, 57, 672), kLastY);
    printer->eraseY1 = std::min(toDots(yEnd, 57, 672), kLastY);
    return 0;
}

int kqCR80Printer::EraseRectRotation(kqCR80_Pram* printer, int rotation) {
    if (rotation != 2) return 0;
    kqCR80_Pram& p = *printer;
    const unsigned short x0 = p.eraseX0, x1 = p.eraseX1, y0 = p.eraseY0, y1 = p.eraseY1;
    p.eraseX0 = static_cast<unsigned short>(kLastX - x1);
    p.eraseX1 = static_cast<unsigned short>(kLastX - x0);
    p.eraseY0 = static_cast<unsigned short>(kLastY - y1);
    p.eraseY1 = static_cast<unsigned short>(kLastY - y0);
    return 0;
}

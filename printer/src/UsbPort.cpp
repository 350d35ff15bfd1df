#include "UsbPort.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Crc16.h"
#include "LinkCodes.h"

namespace {
constexpr unsigned kEnquiryTimeoutMs = 500;

void putSequence(unsigned char* at, unsigned int sequence) {
    at[0] = static_cast<unsigned char>(sequence & 0xFF);
    at[1] = static_cast<unsigned char>((sequence >> 8) & 0xFF);
    at[2] = static_cast<unsigned char>((sequence >> 16) & 0xFF);
}
}  // namespace

UsbPort::UsbPort() = default;

UsbPort::UsbPort(unsigned short vid, unsigned short pid)
    : mOwnContext(kqbase::makeUsbContext()),
      mOwnList(std::make_unique<kqbase::UsbDeviceList>(mOwnContext.get())),
      mMatches(mOwnList->matching(vid, pid, kMaxMatches)) {}

UsbPort::~UsbPort() {
    Close();
}

int UsbPort::Open(libusb_device* device) {
    if (!device) return -1;
    Close();
    kqbase::UsbConfig config = kqbase::firstConfig(device);
    if (!config || mClaim.open(device, false) != 0) return -1;
    if (device != mDevice.get()) mDevice.reset(device);
    mConfig = std::move(config);
    // A device with fewer interfaces or endpoints leaves those references empty.
    for (int itf = 0; itf < 2; ++itf) {
        for (int ep = 0; ep < 2; ++ep) {
            const libusb_endpoint_descriptor* found = nullptr;
            if (itf < mConfig->bNumInterfaces && mConfig->interface[itf].num_altsetting > 0) {
                const libusb_interface_descriptor& alt = mConfig->interface[itf].altsetting[0];
                if (ep < alt.bNumEndpoints) found = &alt.endpoint[ep];
            }
            mEndpoints[itf * 2 + ep] = found;
        }
    }
    return 0;
}

int UsbPort::Open(int index) {
    if (!mOwnList || index < 0 || index >= matchCount()) return -1;
    return Open((*mOwnList)[mMatches[index]]);
}

int UsbPort::reOpen() {
    return Open(mDevice.get());
}

int UsbPort::Close() {
    if (!mClaim.handle()) return 0;
    mClaim.close();
    mConfig.reset();
    for (auto& ep : mEndpoints) ep = nullptr;
    return 0;
}

int UsbPort::bulkOut(unsigned char* packet, int len, unsigned timeoutMs) {
    if (!mClaim.handle()) return LIBUSB_ERROR_NO_DEVICE;
    int sent = 0;
    return libusb_bulk_transfer(mClaim.handle(), ecp::kEndpointOut, packet, len, &sent, timeoutMs);
}

int UsbPort::interruptOut(unsigned char endpoint, unsigned char* packet, int len,
                          unsigned timeoutMs) {
    if (!mClaim.handle()) return LIBUSB_ERROR_NO_DEVICE;
    int sent = 0;
    return libusb_interrupt_transfer(mClaim.handle(), endpoint, packet, len, &sent, timeoutMs);
}

int UsbPort::bulkIn(unsigned char* packet, int len, int* received, unsigned timeoutMs) {
    *received = 0;
    if (!mClaim.handle()) return LIBUSB_ERROR_NO_DEVICE;
    return libusb_bulk_transfer(mClaim.handle(), ecp::kEndpointIn, packet, len, received,
                                timeoutMs);
}

int UsbPort::WriteBuffer(unsigned char* payload, int len) {
    if (len < 0 || len > ecp::kMaxRequestPayload) return ecp::kFrameTooLong;
    const std::size_t n = static_cast<std::size_t>(len);
    std::vector<unsigned char> frame(n + ecp::kFrameOverhead);
    frame[0] = ecp::DLE;
    frame[1] = ecp::STX;
    const std::uint32_t n32 = static_cast<std::uint32_t>(n);
    for (int i = 0; i < 4; ++i) frame[2 + i] = static_cast<unsigned char>(n32 >> (8 * i));
    if (n) std::memcpy(&frame[6], payload, n);
    putSequence(&frame[6 + n], mSequence);
    frame[9 + n] = ecp::DLE;
    frame[10 + n] = ecp::ETX;
    const unsigned short crc = Cal_CRC16(frame.data(), static_cast<unsigned>(n + 11));
    frame[11 + n] = static_cast<unsigned char>(crc & 0xFF);
    frame[12 + n] = static_cast<unsigned char>(crc >> 8);

    // One look at the trace folder per frame, not per packet (an image is 1260 packets).
    const bool trace = tracing();
    unsigned char packet[ecp::kPacketSize];
    for (std::size_t at = 0; at < frame.size(); at += ecp::kPacketFrameBytes) {
        const std::size_t piece = std::min<std::size_t>(ecp::kPacketFrameBytes, frame.size() - at);
        std::memset(packet, 0, sizeof packet);
        packet[0] = ecp::kHostMarker;
        std::memcpy(packet + 1, &frame[at], piece);
        if (trace) Debug("\r\n[S RAW]", nullptr, packet, static_cast<int>(piece + 1));
        const int r = bulkOut(packet, ecp::kPacketSize, 0);
        if (r != 0) return r;
    }
    return 0;
}

int UsbPort::WriteBufferENQ() {
    unsigned char enquiry[5] = {ecp::DLE, ecp::ENQ, 0, 0, 0};
    putSequence(enquiry + 2, mSequence);
    Debug("\r\n[S RAW]", nullptr, enquiry, 5);
    unsigned char packet[ecp::kPacketSize] = {0};
    packet[0] = ecp::kHostMarker;
    std::memcpy(packet + 1, enquiry, 5);
    const int r = interruptOut(ecp::kEndpointOut, packet, ecp::kPacketSize, kEnquiryTimeoutMs);
    if (r != 0) {
        char text[48];
        std::snprintf(text, sizeof text, "R=%d(0x%X)", r, static_cast<unsigned>(r));
        Debug("[OriWriteBuffer Error ]", text, nullptr, 0);
    }
    return r;
}

int UsbPort::WriteBuffer64Bytes(char* data, int len) {
    if (!mEndpoints[0]) return LIBUSB_ERROR_NOT_FOUND;
    unsigned char packet[ecp::kPacketSize] = {0};
    const int n = len < 0 ? 0 : std::min(len, ecp::kPacketSize);
    if (n) std::memcpy(packet, data, static_cast<std::size_t>(n));
    const int r =
        interruptOut(mEndpoints[0]->bEndpointAddress, packet, ecp::kPacketSize, kEnquiryTimeoutMs);
    if (r != 0) {
        char text[48];
        std::snprintf(text, sizeof text, "发送出错了 0x%X,%d", static_cast<unsigned>(r), r);
        Debug("", text, nullptr, 0);
    }
    return r;
}

int UsbPort::ReadBuffer(unsigned char* out, int* len, int timeout) {
    for (;;) {
        Debug("[ wait R  ]", nullptr, nullptr, 0);
        unsigned char packet[ecp::kPacketSize] = {0};
        int got = 0;
        const int r = bulkIn(packet, ecp::kPacketSize, &got,
                             static_cast<unsigned>(timeout < 0 ? 0 : timeout));
        if (r != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "出错 libusb 返回ret = %d", r);
            Debug("[  R  ]", text, nullptr, 0);
            return ecp::kReadFailed;
        }
        got = std::max(0, std::min(got, ecp::kPacketSize));
        Debug("[  R  ]", nullptr, packet, got);
        if (got < 1 || packet[0] != ecp::kPrinterMarker) {
            Debug("[  R errr ]", nullptr, nullptr, 0);
            return ecp::kMalformed;
        }
        Debug("[  R errr2 ]", nullptr, nullptr, 0);
        const unsigned char* frame = packet + 1;
        const std::size_t frameBytes = static_cast<std::size_t>(got - 1);
        if (got < 5 || frame[0] != ecp::DLE) return ecp::kMalformed;
        if (frame[1] == ecp::ACK) {
            const int e = WriteBufferENQ();
            if (e != 0) return e;
            continue;
        }
        if (frame[1] == ecp::NAK) return ecp::kRejected;
        if (frame[1] != ecp::STX) return ecp::kMalformed;
        if (got == 5) return ecp::kMalformed;
        // The length field itself must lie inside the packet before it is read.
        if (frameBytes < 6) {
            *len = 0;
            return ecp::kFrameTooLong;
        }
        const std::uint64_t n =
            static_cast<std::uint64_t>(frame[2]) | static_cast<std::uint64_t>(frame[3]) << 8 |
            static_cast<std::uint64_t>(frame[4]) << 16 | static_cast<std::uint64_t>(frame[5]) << 24;
        if (n + ecp::kFrameOverhead > frameBytes) {
            *len = 0;
            return ecp::kFrameTooLong;
        }
        const unsigned int seq = frame[6 + n] | frame[7 + n] << 8 | frame[8 + n] << 16;
        if (seq != (mSequence & 0xFFFFFF)) return ecp::kBadSequence;
        *len = static_cast<int>(n);
        ++mSequence;
        const unsigned crc = frame[11 + n] | frame[12 + n] << 8;
        if (frame[9 + n] != ecp::DLE || frame[10 + n] != ecp::ETX ||
            Check_CRC16(crc, frame, static_cast<unsigned>(n + 11)) != 0) {
            return ecp::kMalformed;
        }
        std::memcpy(out, frame + 6, static_cast<std::size_t>(n));
        return 0;
    }
}

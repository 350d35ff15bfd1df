#include "link/UsbPort.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/LinkCodes.h"
#include "link/UsbBlock.h"

UsbPort::UsbPort(unsigned short vid, unsigned short pid)
    : mContext(kqbase::makeUsbContext()),
      mList(std::make_unique<kqbase::UsbDeviceList>(mContext.get())),
      mMatches(mList->matching(vid, pid, kMaxMatches)) {}

UsbPort::~UsbPort() {
    Close();
}

int UsbPort::Open(int index) {
    if (static_cast<unsigned int>(index) >= mMatches.size()) return -1;
    Close();
    libusb_device* device = (*mList)[mMatches[index]];
    mConfig = kqbase::firstConfig(device);
    if (!mConfig || mClaim.open(device, true) != 0) {
        Close();
        return -1;
    }
    const int claimed = mClaim.interfaceNumber();
    if (claimed >= mConfig->bNumInterfaces || mConfig->interface[claimed].num_altsetting < 1 ||
        !chooseEndpoints(mConfig->interface[claimed].altsetting[0])) {
        Close();
        return -1;
    }
    return 0;
}

// The first of endpoints 0..2 of each direction; the third stands in when
// neither of the first two has that direction.
bool UsbPort::chooseEndpoints(const libusb_interface_descriptor& alt) {
    const int n = std::min<int>(alt.bNumEndpoints, 3);
    auto pick = [&](bool in, unsigned char& address, bool& interrupt) {
        int chosen = -1;
        for (int i = 0; i < n && chosen < 0; ++i) {
            if (((alt.endpoint[i].bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0) == in) chosen = i;
        }
        if (chosen < 0 && n == 3) chosen = 2;
        if (chosen < 0) return false;
        address = alt.endpoint[chosen].bEndpointAddress;
        interrupt = (alt.endpoint[chosen].bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) ==
                    LIBUSB_TRANSFER_TYPE_INTERRUPT;
        return true;
    };
    return pick(true, mInEndpoint, mInInterrupt) && pick(false, mOutEndpoint, mOutInterrupt);
}

int UsbPort::Close() {
    mClaim.close();
    mConfig.reset();
    return 0;
}

int UsbPort::transfer(unsigned char endpoint, bool interrupt, unsigned char* data, int len,
                      int* transferred, unsigned int timeout) {
    libusb_device_handle* handle = mClaim.handle();
    if (handle == nullptr) return LIBUSB_ERROR_NO_DEVICE;
    return interrupt ? libusb_interrupt_transfer(handle, endpoint, data, len, transferred, timeout)
                     : libusb_bulk_transfer(handle, endpoint, data, len, transferred, timeout);
}

int UsbPort::WriteBuffer64Bytes(char* report, int len) {
    unsigned char buffer[devlink::kReportSize] = {};
    std::memcpy(buffer, report, std::clamp(len, 0, devlink::kReportSize));
    int sent = 0;
    return transfer(mOutEndpoint, mOutInterrupt, buffer, sizeof(buffer), &sent, kWriteTimeoutMs);
}

int UsbPort::WriteBuffer(unsigned char* frame, int len) {
    const std::vector<unsigned char> block = devlink::buildUsbBlock(frame, len);
    if (block.empty()) return LIBUSB_ERROR_INVALID_PARAM;
    Debug("\r\n\r\n[S RAW]", nullptr, block.data(), static_cast<int>(block.size()));
    for (auto& report : devlink::cutIntoReports(block)) {
        const int rc = WriteBuffer64Bytes(reinterpret_cast<char*>(report.data()),
                                          static_cast<int>(report.size()));
        if (rc != 0) {
            char text[64];
            std::snprintf(text, sizeof(text), "R=%d(0x%X)", rc, static_cast<unsigned int>(rc));
            Debug("[OriWriteBuffer Error ]", text, nullptr, 0);
            return rc;
        }
    }
    return 0;
}

int UsbPort::ReadBuffer(unsigned char* out, int* len, int timeout) {
    *len = 0;
    devlink::UsbBlockAssembler assembler;
    for (;;) {
        unsigned char report[devlink::kReportSize] = {};
        int received = 0;
        // libusb reads 0 as "wait forever"; a read here always ends.
        const int rc = transfer(mInEndpoint, mInInterrupt, report, sizeof(report), &received,
                                static_cast<unsigned int>(std::max(timeout, 1)));
        if (rc != 0) {
            char text[64];
            std::snprintf(text, sizeof(text), "出错 libusb 返回ret = %d", rc);
            Debug("[  R  ]", text, nullptr, 0);
            return devlink::kNoReply;
        }
        switch (assembler.add(report, received)) {
            case devlink::UsbBlockAssembler::Status::TooLong:
                return devlink::kReplyTooLong;
            case devlink::UsbBlockAssembler::Status::Complete:
                *len = assembler.frame(out);
                return 0;
            case devlink::UsbBlockAssembler::Status::NeedMore:
                break;
        }
    }
}

// UsbPort: a board on USB, frames carried in 64-byte reports over its endpoints.
#pragma once

#include <libusb-1.0/libusb.h>

#include <memory>
#include <vector>

#include "base/UsbHandles.h"
#include "link/Device.h"

class UsbPort : public Device {
  public:
    // Lists the attached devices once and records those with these ids.
    UsbPort(unsigned short vid, unsigned short pid);
    ~UsbPort() override;

    int DeviceCount() const { return static_cast<int>(mMatches.size()); }
    // Opens the index-th matching device: 0 or -1.
    int Open(int index);
    int Close() override;

    int WriteBuffer(unsigned char* frame, int len) override;
    // One 64-byte report (the given bytes, zero-filled) to the OUT endpoint.
    int WriteBuffer64Bytes(char* report, int len);
    // 0, 230 or 233; timeout in milliseconds per report.
    int ReadBuffer(unsigned char* out, int* len, int timeout) override;

  private:
    static constexpr int kMaxMatches = 50;
    static constexpr unsigned int kWriteTimeoutMs = 500;

    bool chooseEndpoints(const libusb_interface_descriptor& alt);
    int transfer(unsigned char endpoint, bool interrupt, unsigned char* data, int len,
                 int* transferred, unsigned int timeout);

    kqbase::UsbContext mContext;
    std::unique_ptr<kqbase::UsbDeviceList> mList;
    std::vector<int> mMatches;
    kqbase::UsbConfig mConfig;
    kqbase::UsbClaim mClaim;
    unsigned char mInEndpoint = 0;
    unsigned char mOutEndpoint = 0;
    bool mInInterrupt = false;
    bool mOutInterrupt = false;
};

// One counted reference to a USB device, so a printer can be reopened after its port closed.
#pragma once

#include <libusb.h>

class UsbDeviceRef {
  public:
    UsbDeviceRef() = default;
    UsbDeviceRef(const UsbDeviceRef&) = delete;
    UsbDeviceRef& operator=(const UsbDeviceRef&) = delete;
    ~UsbDeviceRef() { reset(nullptr); }

    void reset(libusb_device* device) {
        if (device) libusb_ref_device(device);
        if (mDevice) libusb_unref_device(mDevice);
        mDevice = device;
    }
    libusb_device* get() const { return mDevice; }

  private:
    libusb_device* mDevice = nullptr;
};

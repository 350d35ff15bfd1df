// The serial connection: opens the serially attached mechanisms that the
// serial model classes report through their own connection checks.
#pragma once

#include <memory>
#include <vector>

#include "link/BaseDevice.h"
#include "link/KQUSBDevice.h"

class COMDevice : public BaseDevice {
  public:
    ~COMDevice() override;

    int open_dev(const char* argsJson, char* out) override;
    int close_dev(const char* argsJson, char* out) override;
    int findObject(const char* argsJson, std::vector<kqDev*>& found) override;

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<BaseDevice> _CreateObjectByName() {
        return std::make_unique<COMDevice>();
    }

  private:
    DeviceList mDeviceList;
};

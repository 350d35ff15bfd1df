// The USB connection: finds the mechanism boards on the bus, identifies each
// one, and owns the model objects it creates and the ports they share.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/BaseDevice.h"
#include "mechanism/BoardLink.h"
#include "mechanism/DeviceInfo.h"
#include "mechanism/kqDevMid00.h"

// The models of one USB id pair and the one open port they share.
struct DeviceGroup {
    std::unique_ptr<BoardLink> link;
    std::map<std::string, std::unique_ptr<kqDev>> models;  // by DevID text
};
using DeviceList = std::map<int, DeviceGroup>;

// Destroys the models of one group (every group when group is negative), then
// closes the group's port.
void ReleaseDeviceList(DeviceList& deviceList, int group);

class KQUSBDevice : public BaseDevice {
  public:
    ~KQUSBDevice() override;

    int open_dev(const char* argsJson, char* out) override;
    int close_dev(const char* argsJson, char* out) override;
    int findObject(const char* argsJson, std::vector<kqDev*>& found) override;

    // Opens and identifies the boards of one id pair: 0, 1167 or 1348.
    int open_dev_vpid(int vid, int pid, int deviceType);
    int analyzeFlashRapid(void* port, int index, DeviceInfo* info, int group, int deviceType);
    // The identified model for a device-type code, or null.
    std::unique_ptr<kqDevMid00> devType2Class(unsigned int code, void* port, int index);

    // Index of (vid, pid) in the table of known boards, or -1.
    static int vidpid2index(int vid, int pid);
    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<BaseDevice> _CreateObjectByName() {
        return std::make_unique<KQUSBDevice>();
    }

  private:
    DeviceList mDeviceList;
};

// The selection of findObject over a device list, shared by the connections.
int selectModels(const char* argsJson, const DeviceList& deviceList, std::vector<kqDev*>& found);

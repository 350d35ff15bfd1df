#pragma once
// The simulated USB bus: a umockdev testbed holding every simulated USB device,
// in the order they were added, with hot-plug for cable pulls.
#include <umockdev.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/EventLoop.h"
#include "core/Journal.h"
#include "usb/UsbPersonality.h"

namespace ksim::usb {

class UsbNode;
class UsbBus;

// One device on the bus: owns its personality and the node of its current plug-in.
class UsbDevice : public UsbDeviceLink {
  public:
    UsbDevice(UsbBus& bus, std::unique_ptr<UsbPersonality> personality, int port);
    ~UsbDevice() override;

    void sendToHost(uint8_t endpoint, std::vector<uint8_t> packet) override;
    void clearToHost(uint8_t endpoint) override;
    void unplug() override;
    void replug() override;
    void bounce() override;
    bool plugged() const override;

    UsbPersonality& personality() { return *personality_; }
    // Bus and device numbers of the current plug-in, e.g. "001/002"; empty when unplugged.
    std::string address() const;

  private:
    friend class UsbBus;
    bool plugIn(std::string* error);
    // Takes the device off the bus; returns its node, whose transfers still wait.
    std::unique_ptr<UsbNode> removeFromBus();
    void pullOut();

    UsbBus& bus_;
    std::unique_ptr<UsbPersonality> personality_;
    const int port_;
    std::string syspath_;
    mutable std::mutex mutex_;
    std::unique_ptr<UsbNode> node_;
    // Nodes of earlier plug-ins stay until exit: a driver may still hold them open.
    std::vector<std::unique_ptr<UsbNode>> retired_;
};

class UsbBus {
  public:
    UsbBus(EventLoop& loop, Journal& journal);
    ~UsbBus();
    UsbBus(const UsbBus&) = delete;
    UsbBus& operator=(const UsbBus&) = delete;

    // Creates the testbed below $TMPDIR. Must run under umockdev's preload.
    bool init(std::string* error);
    // Adds and plugs in a device; devices enumerate in the order added.
    UsbDevice* add(std::unique_ptr<UsbPersonality> personality, std::string* error);

    std::string rootDir() const { return rootDir_; }
    size_t deviceCount() const { return devices_.size(); }
    UsbDevice& device(size_t i) { return *devices_[i]; }

    EventLoop& loop() { return loop_; }
    Journal& journal() { return journal_; }

    // Whether devices added from now on refuse the transfer types usbfs refuses.
    void setStrict(bool strict) { strict_ = strict; }

  private:
    friend class UsbDevice;
    int allocateDevnum();

    EventLoop& loop_;
    Journal& journal_;
    UMockdevTestbed* testbed_ = nullptr;
    std::string rootDir_;
    // Guards testbed calls, which come from the main and the event loop threads.
    std::recursive_mutex testbedMutex_;
    int nextDevnum_ = 2;
    bool strict_ = true;
    std::vector<std::unique_ptr<UsbDevice>> devices_;
};

}  // namespace ksim::usb

#pragma once
// One usbfs device node of the testbed (/dev/bus/usb/BBB/DDD) served in the simulator:
// the ioctl handler that libusb's usbfs calls reach through umockdev's preload, the
// submitted transfers (URBs) waiting per endpoint, and the readiness FIFO.
//
// libusb polls the node for POLLOUT to learn that a URB can be reaped. The testbed's
// node is replaced by a FIFO of one page that holds exactly one byte (so it is not
// writable) while nothing is ready to reap, and is drained while something is: the
// driver sleeps in poll() instead of spinning on REAPURBNDELAY.
#include <umockdev.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "usb/UsbPersonality.h"

namespace ksim::usb {

class UsbNode {
  public:
    struct Callbacks {
        // Called on the ioctl thread; the receiver must hand the work to its own thread.
        std::function<void(uint8_t endpoint, std::vector<uint8_t> data)> hostData;
        std::function<void(int interfaceNumber)> claim;
        // A journal line (kind, text) about a refused or converted transfer; ioctl thread.
        std::function<void(const std::string& kind, const std::string& text)> note;
    };

    // `strict`: submissions usbfs would refuse on an endpoint are refused alike.
    UsbNode(std::string devnode, UsbIdentity identity, Callbacks callbacks, bool strict = true);
    ~UsbNode();
    UsbNode(const UsbNode&) = delete;
    UsbNode& operator=(const UsbNode&) = delete;

    // Attaches the ioctl handler to the devnode; call before the node file is created.
    bool attach(UMockdevTestbed* testbed, std::string* error);
    // Replaces the node file under `rootDir` with the readiness FIFO.
    bool installFifo(const std::string& rootDir, std::string* error);

    void sendToHost(uint8_t endpoint, std::vector<uint8_t> packet);
    void clearToHost(uint8_t endpoint);
    // Cable pulled: pending URBs complete with -ENODEV, later ioctls fail with ENODEV.
    void disconnect();

    const std::string& devnode() const { return devnode_; }

  private:
    struct Urb;
    static gboolean onIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer self);
    bool handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void answerControl(Urb& urb);
    // Fills waiting IN URBs from the queued packets. Caller holds mutex_.
    void deliverLocked();
    // Keeps the FIFO byte in line with "something can be reaped". Caller holds mutex_.
    void updateReadinessLocked();

    const std::string devnode_;
    const UsbIdentity identity_;
    const Callbacks callbacks_;
    const bool strict_;
    // Endpoints whose bulk-to-interrupt conversion has been journaled.
    std::set<uint8_t> convertedNoted_;
    UMockdevIoctlBase* handler_ = nullptr;
    UMockdevTestbed* testbed_ = nullptr;

    std::mutex mutex_;
    bool connected_ = true;
    int fifoFd_ = -1;
    bool fifoHoldsByte_ = false;
    std::list<std::unique_ptr<Urb>> urbs_;
    std::map<uint8_t, std::deque<std::vector<uint8_t>>> toHost_;
};

}  // namespace ksim::usb

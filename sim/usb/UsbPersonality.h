#pragma once
// The contract between the USB device emulation (UsbBus, UsbDevice) and a simulated
// device's behaviour (a mechanism board, a printer ...).
//
// The emulation owns the personality. It asks once for the identity (descriptors and
// strings), hands the personality a UsbDeviceLink, and then
//   - delivers every OUT transfer the driver submits through onHostData(), on the
//     simulator's event loop thread;
//   - completes the driver's IN transfers from what the personality queued with
//     UsbDeviceLink::sendToHost(): each queued packet completes one IN transfer (a
//     packet longer than the transfer's buffer fills it and the rest stays queued);
//     an IN transfer with nothing queued waits, as a real endpoint NAKs;
//   - drops the packets still queued when a driver claims an interface, so a new
//     session does not read what was meant for an earlier one;
//   - answers standard GET_DESCRIPTOR string requests itself and stalls every other
//     control request.
// A personality never blocks: delays are timers on the event loop.
#include <cstdint>
#include <string>
#include <vector>

namespace ksim::usb {

enum class TransferType : uint8_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

struct EndpointDesc {
    uint8_t address = 0;  // bit 7 set: IN (device to host)
    TransferType type = TransferType::Bulk;
    uint16_t maxPacketSize = 64;
    uint8_t interval = 0;  // frames, for interrupt endpoints
};

struct InterfaceDesc {
    uint8_t interfaceClass = 0xFF;
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
    std::vector<EndpointDesc> endpoints;  // in descriptor order
};

struct UsbIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t bcdDevice = 0x0100;
    uint8_t deviceClass = 0;
    std::string manufacturer;  // empty: no string descriptor
    std::string product;
    std::string serial;
    std::vector<InterfaceDesc> interfaces;  // numbered 0, 1, ... in one configuration
};

// The device's side of the cable, handed to the personality. Safe from any thread.
class UsbDeviceLink {
  public:
    virtual ~UsbDeviceLink() = default;
    // Queues one packet for the IN endpoint `endpoint` (e.g. 0x81, or an interrupt endpoint).
    virtual void sendToHost(uint8_t endpoint, std::vector<uint8_t> packet) = 0;
    // Drops what is queued for `endpoint` and not yet taken by the driver.
    virtual void clearToHost(uint8_t endpoint) = 0;
    // Pulls the cable: pending and later transfers fail with "no device", the device
    // leaves the bus (hot-plug remove). Does nothing when already unplugged.
    virtual void unplug() = 0;
    // Puts the cable back: the device comes back under a new device number (hot-plug add).
    virtual void replug() = 0;
    // A short cable glitch: the device leaves the bus and is back under a new device
    // number before the driver's pending transfers fail, so a driver that reopens at
    // once finds it.
    virtual void bounce() = 0;
    virtual bool plugged() const = 0;
};

class UsbPersonality {
  public:
    virtual ~UsbPersonality() = default;
    // Name in logs and events, e.g. "board0".
    virtual std::string name() const = 0;
    virtual UsbIdentity identity() const = 0;
    // Called once before the device appears on the bus; `link` outlives the personality.
    virtual void attach(UsbDeviceLink* link) = 0;
    // One OUT transfer on `endpoint`, whole. Event loop thread.
    virtual void onHostData(uint8_t endpoint, std::vector<uint8_t> data) = 0;
    // A driver claimed `interfaceNumber` (a new session begins). Event loop thread.
    virtual void onClaim(int interfaceNumber) { (void)interfaceNumber; }
    // The cable was pulled or put back (by the personality or by an operator).
    virtual void onPlugChange(bool plugged) { (void)plugged; }
};

}  // namespace ksim::usb

#pragma once
// Which transfer types usbfs lets a program submit on an endpoint, as the kernel
// decides at USBDEVFS_SUBMITURB: the endpoint must exist (ENOENT otherwise), control
// transfers go to endpoint 0 only, interrupt and isochronous transfers only to
// endpoints of that type, bulk transfers to bulk endpoints, and a bulk transfer on an
// interrupt endpoint is carried out as an interrupt transfer; anything else is EINVAL.
#include <cstdint>
#include <string>

#include "usb/UsbPersonality.h"

namespace ksim::usb {

struct TransferCheck {
    int error = 0;           // errno of the refused submission; 0: accepted
    bool converted = false;  // a bulk transfer carried out as an interrupt transfer
    std::string why;         // what was refused or converted, for the journal
};

// `urbType` is the usbfs URB type (USBDEVFS_URB_TYPE_*).
TransferCheck checkTransfer(const UsbIdentity& identity, uint8_t endpoint, uint8_t urbType);

}  // namespace ksim::usb

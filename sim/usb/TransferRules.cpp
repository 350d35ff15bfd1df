#include "usb/TransferRules.h"

#include <linux/usbdevice_fs.h>

#include <cerrno>
#include <cstdio>
#include <optional>

namespace ksim::usb {

namespace {

std::optional<TransferType> endpointType(const UsbIdentity& identity, uint8_t endpoint) {
    if ((endpoint & 0x7F) == 0) return TransferType::Control;
    for (const auto& itf : identity.interfaces) {
        for (const auto& ep : itf.endpoints) {
            if (ep.address == endpoint) return ep.type;
        }
    }
    return std::nullopt;
}

const char* typeName(TransferType t) {
    switch (t) {
        case TransferType::Control:
            return "control";
        case TransferType::Isochronous:
            return "isochronous";
        case TransferType::Bulk:
            return "bulk";
        case TransferType::Interrupt:
            return "interrupt";
    }
    return "unknown";
}

std::optional<TransferType> urbTransferType(uint8_t urbType) {
    switch (urbType) {
        case USBDEVFS_URB_TYPE_CONTROL:
            return TransferType::Control;
        case USBDEVFS_URB_TYPE_ISO:
            return TransferType::Isochronous;
        case USBDEVFS_URB_TYPE_BULK:
            return TransferType::Bulk;
        case USBDEVFS_URB_TYPE_INTERRUPT:
            return TransferType::Interrupt;
        default:
            return std::nullopt;
    }
}

std::string endpointText(uint8_t endpoint) {
    char text[8];
    snprintf(text, sizeof text, "%02X", endpoint);
    return text;
}

}  // namespace

TransferCheck checkTransfer(const UsbIdentity& identity, uint8_t endpoint, uint8_t urbType) {
    TransferCheck check;
    const auto wanted = urbTransferType(urbType);
    if (!wanted) {
        check.error = EINVAL;
        check.why = "URB type " + std::to_string(urbType) + " does not exist";
        return check;
    }
    const auto have = endpointType(identity, endpoint);
    if (!have) {
        check.error = ENOENT;
        check.why = std::string(typeName(*wanted)) + " transfer to endpoint " +
                    endpointText(endpoint) + ", which the device does not have";
        return check;
    }
    const std::string what = std::string(typeName(*wanted)) + " transfer on " + typeName(*have) +
                             " endpoint " + endpointText(endpoint);
    if (*wanted == TransferType::Bulk && *have == TransferType::Interrupt) {
        check.converted = true;
        check.why = what + " carried out as an interrupt transfer";
        return check;
    }
    if (*wanted != *have) {
        check.error = EINVAL;
        check.why = what + " refused";
    }
    return check;
}

}  // namespace ksim::usb

#pragma once
// USB descriptors of a simulated device, as the kernel exposes them in sysfs
// ("descriptors": device descriptor then the configuration with its interfaces and
// endpoints) and as GET_DESCRIPTOR(STRING) answers.
#include <cstdint>
#include <optional>
#include <vector>

#include "usb/UsbPersonality.h"

namespace ksim::usb {

std::vector<uint8_t> sysfsDescriptors(const UsbIdentity& id);

// String descriptor `index` (0: the language list); nullopt when the device has none.
std::optional<std::vector<uint8_t>> stringDescriptor(const UsbIdentity& id, uint8_t index);

}  // namespace ksim::usb

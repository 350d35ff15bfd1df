#include "usb/Descriptors.h"

namespace ksim::usb {

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// String indexes: 1 manufacturer, 2 product, 3 serial; 0 when the text is empty.
uint8_t stringIndex(const std::string& text, uint8_t index) {
    return text.empty() ? 0 : index;
}

}  // namespace

std::vector<uint8_t> sysfsDescriptors(const UsbIdentity& id) {
    std::vector<uint8_t> d = {18, 1};
    put16(d, 0x0200);
    d.push_back(id.deviceClass);
    d.push_back(0);
    d.push_back(0);
    d.push_back(64);
    put16(d, id.vendorId);
    put16(d, id.productId);
    put16(d, id.bcdDevice);
    d.push_back(stringIndex(id.manufacturer, 1));
    d.push_back(stringIndex(id.product, 2));
    d.push_back(stringIndex(id.serial, 3));
    d.push_back(1);

    size_t total = 9;
    for (const auto& itf : id.interfaces) total += 9 + 7 * itf.endpoints.size();
    d.push_back(9);
    d.push_back(2);
    put16(d, static_cast<uint16_t>(total));
    d.push_back(static_cast<uint8_t>(id.interfaces.size()));
    d.push_back(1);     // bConfigurationValue
    d.push_back(0);     // iConfiguration
    d.push_back(0x80);  // bus powered
    d.push_back(50);    // 100 mA
    uint8_t number = 0;
    for (const auto& itf : id.interfaces) {
        d.insert(d.end(), {9, 4, number++, 0, static_cast<uint8_t>(itf.endpoints.size()),
                           itf.interfaceClass, itf.interfaceSubClass, itf.interfaceProtocol, 0});
        for (const auto& ep : itf.endpoints) {
            d.insert(d.end(), {7, 5, ep.address, static_cast<uint8_t>(ep.type)});
            put16(d, ep.maxPacketSize);
            d.push_back(ep.interval);
        }
    }
    return d;
}

std::optional<std::vector<uint8_t>> stringDescriptor(const UsbIdentity& id, uint8_t index) {
    if (index == 0) return std::vector<uint8_t>{4, 3, 0x09, 0x04};
    const std::string* text = nullptr;
    if (index == 1) text = &id.manufacturer;
    if (index == 2) text = &id.product;
    if (index == 3) text = &id.serial;
    if (!text || text->empty()) return std::nullopt;
    // ASCII texts only; each character becomes one UTF-16LE unit. 126 fit in 255 bytes.
    size_t chars = text->size() < 126 ? text->size() : 126;
    std::vector<uint8_t> d = {static_cast<uint8_t>(2 + 2 * chars), 3};
    for (size_t i = 0; i < chars; ++i) {
        d.push_back(static_cast<uint8_t>((*text)[i]));
        d.push_back(0);
    }
    return d;
}

}  // namespace ksim::usb

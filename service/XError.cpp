#include "XError.h"

#include <string>

std::string XError::ToString() const {
    static const char* const kTexts[] = {
        "Success",
        "Generic failure",
        "Input parameter is a null pointer",
        "Out of memory",
        "I/O error",
        "Device is not ready",
        "Configuration is not supported",
        "Property is not known",
        "Property is not supported",
        "Property value is not valid",
        "Property is read only",
        "Pixel format is not supported",
        "Parameters of images don't match",
        "Failed image encoding",
    };
    constexpr int kCount = static_cast<int>(sizeof(kTexts) / sizeof(kTexts[0]));
    if (mCode >= 0 && mCode < kCount) return kTexts[mCode];
    return "Unknown error code: " + std::to_string(mCode);
}

#include "PreviewName.h"

#include <cstdint>
#include <cstdio>

namespace cardpaint {

std::string previewFileName(const void* handle, std::time_t utc) {
    const std::time_t local = utc + 8 * 3600;
    std::tm t{};
    gmtime_r(&local, &t);
    char name[64];
    std::snprintf(name, sizeof name, "%X_base64_%04d%02d%02d_%02d%02d%02d.%s",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle) & 0xFFFFFFFFu),
                  t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, "BMP");
    return name;
}

}  // namespace cardpaint

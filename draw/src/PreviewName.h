// The generated file name of a preview picture.
#ifndef CARDPAINT_PREVIEWNAME_H
#define CARDPAINT_PREVIEWNAME_H

#include <ctime>
#include <string>

namespace cardpaint {

// "<handle>_base64_<yyyymmdd>_<hhmmss>.BMP": the low 32 bits of the handle in upper-case
// hex and the time in UTC+8 (the date carried along), a name relative to the working
// directory.
std::string previewFileName(const void* handle, std::time_t utc);

}  // namespace cardpaint

#endif

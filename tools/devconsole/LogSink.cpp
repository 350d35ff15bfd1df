#include "LogSink.h"

#include "core/ServiceLog.h"

namespace devconsole {

void ServiceLogSink::write(const std::string& text) {
    writeLog(text, "DEBUG", "", "");
}

}  // namespace devconsole

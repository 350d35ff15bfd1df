// The rolling service log and named logs, written through log4cpp.
#pragma once

#include <string>

void initLogs(const char* name, const char* directory);
void initLogs2(const char* name, const char* directory);
// Writes message at priority DEBUG (level is accepted and not used) to the
// service log, or to the named log logName (opened on its first record).
void writeLog(std::string message, std::string level, std::string logName, std::string directory);

// Convenience for the usual call: level "DEBUG", service log.
inline void writeLog(const std::string& message) {
    writeLog(message, "DEBUG", "", "");
}

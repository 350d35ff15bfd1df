#pragma once
// The program's location and its rolling service log: the program's file name +
// ".log" in kqlogs/kq_server_logs/ below the program's directory, when that exists.
#include <string>

constexpr int kPathCapacity = 1024;
constexpr int kFileNameCapacity = 100;

extern char _cAppPath[kPathCapacity];
extern char _cDllPath[kPathCapacity];
extern char _AppDir[kPathCapacity];
extern char _DllDir[kPathCapacity];
extern char _FileName[kFileNameCapacity];

// Learns where the program lives; acts once until finalSys re-arms it.
void initSys();
void finalSys();
void ReleaseLibrary();

// Opens the service log once; while its directory is missing, the next record tries
// again.
void initLogs(const char* name, const char* directory);
void initLogs2(const char* name, const char* directory);
// Prints message on standard output, then writes it at priority DEBUG (level is not
// used) to the service log, or to the named log logName.
void writeLog(std::string message, std::string level, std::string logName, std::string directory);

inline void writeLog(const std::string& message) {
    writeLog(message, "DEBUG", "", "");
}

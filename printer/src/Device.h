// Base of the printer transport: one request/reply exchange and the per-object trace file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/TraceFile.h"

class Device {
  public:
    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    virtual ~Device();

    virtual int WriteBuffer(unsigned char* data, int len);
    virtual int ReadBuffer(unsigned char* out, int* len, int timeout);
    virtual int SendCommandAndWaitRec(short packageNum, short cmdCode, short state, char* data,
                                      int len, short* replyPackageNum, signed char* replyState,
                                      char* replyData, int* replyLen, int timeout);
    virtual int Close();

    int WriteCommand(short packageNum, short cmdCode, signed char state, char* data, int len);
    int ReadCommand(short* packageNum, short* cmdCode, signed char* state, char* data, int* len,
                    int timeout);

    void Debug(const char* msg, const char* text, unsigned char* data, int len);
    void DeviceStringLog(char* text);
    // Whether trace lines are written now (the trace folder exists).
    static bool tracing();

    // Folder of the trace files (default "/var/log/kqlogs/"); tests point it elsewhere.
    static void setTraceDirectory(const std::string& dir);
    static std::string traceDirectory();

  private:
    kqbase::TraceFile mTrace;
};

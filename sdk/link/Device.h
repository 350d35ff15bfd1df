// Device: one board reached through a byte transport. Builds, sends, receives
// and checks command frames, matches replies to requests, writes the per-object
// trace file, and runs device scripts. UsbPort and SerialPort supply the raw
// transport.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "base/TraceFile.h"

class SerialPort;
class ScriptRun;

class Device {
  public:
    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    virtual ~Device();

    // Sends len raw bytes; 0 on success.
    virtual int WriteBuffer(unsigned char* data, int len);
    // Receives one whole de-stuffed frame (at most 3,499 bytes): 0, 1 for a
    // timeout, or the port's own error code.
    virtual int ReadBuffer(unsigned char* out, int* len, int timeout);
    // One exchange: 0 with the reply, or 230, 232, 233, 236 or a serial code.
    virtual int SendCommandAndWaitRec(short packageNum, short cmdCode, short state, char* data,
                                      int len, short* replyPackageNum, signed char* replyState,
                                      char* replyData, int* replyLen, int timeout);
    virtual int Close();

    // state is accepted and not sent; packageNum is used whole.
    int WriteCommand(short packageNum, short cmdCode, unsigned char state, char* data, int len);
    int ReadCommand(short* packageNum, short* cmdCode, unsigned char* state, char* data, int* len,
                    int timeout);

    // One trace line, written only while the trace folder exists.
    void Debug(const char* msg, const char* text, const unsigned char* data, int len);
    void DeviceStringLog(char* text);
    // Folder of the trace files (default "/var/log/kqlogs/"); tests point it elsewhere.
    static void setTraceDirectory(const std::string& dir);
    static std::string traceDirectory();

    // Runs a script on this device; the transcript goes to out (outSize bytes).
    int RunScript(short packageNum, char* script, char* out, int outSize, int reserved);
    std::string LoadScriptFromFile(std::string name);

    // A serial port opened on /dev/COM<number>, or null.
    static std::unique_ptr<SerialPort> CreateUsartPortInstance(int number, int baud);

    // High byte of every request's package number.
    uint8_t mDevAddress = 0;

  private:
    friend class ScriptRun;

    kqbase::TraceFile mTrace;
    std::map<std::string, std::string> mVariables;
    std::map<uint8_t, std::unique_ptr<Device>> mSubDevices;
    std::string mScriptPath;
    int mScriptDepth = 0;  // nesting of INCLUDE and SUBDEV runs on this object
};

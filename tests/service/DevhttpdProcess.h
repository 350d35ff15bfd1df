// A devhttpd started for one test in a scratch folder (its working folder,
// so ./web is the folder's own), its output in a file, and a bounded stop.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/TestHttp.h"

class DevhttpdProcess {
  public:
    DevhttpdProcess();
    ~DevhttpdProcess();
    DevhttpdProcess(const DevhttpdProcess&) = delete;
    DevhttpdProcess& operator=(const DevhttpdProcess&) = delete;

    // Starts with the arguments and waits until port answers.
    bool Start(const std::vector<std::string>& args, uint16_t port);
    // Starts on a free port given as http_port.
    bool StartOnFreePort();
    // Sends the signal and waits for the exit; the exit status, or -1 when
    // the process did not exit normally in time.
    int Stop(int signal);

    uint16_t Port() const { return mPort; }
    std::string Output() const;
    // The SDK's service log. Before the program knows its own folder the SDK
    // looks for the entry "\home\kqlogs\kq_server_logs\" in the working
    // folder and writes its log beside it under that prefix; the constructor
    // makes the entry so that the log is there to read.
    std::string ServiceLog() const;
    const ScratchDir& Dir() const { return mDir; }

  private:
    ScratchDir mDir;
    pid_t mPid = -1;
    uint16_t mPort = 0;
};

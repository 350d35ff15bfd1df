// The real devhttpd, started by a test that kiosk-sim runs (so the service
// sees the simulated boards), in a scratch folder on a free port.
#pragma once

#include <json/json.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "support/TestHttp.h"

class Devhttpd {
  public:
    Devhttpd();
    ~Devhttpd();
    Devhttpd(const Devhttpd&) = delete;
    Devhttpd& operator=(const Devhttpd&) = delete;

    bool Running() const { return mPid > 0; }
    // POSTs the document to /api/call_method/<funccode>; the reply document
    // (null when the body is not JSON) and the HTTP status.
    Json::Value Call(const std::string& body, int* status = nullptr);
    // Call with {"funccode":funccode,"object_name":"KQUSBDevice"} and more members.
    Json::Value Method(const std::string& funccode, const std::string& members = "");

  private:
    ScratchDir mDir;
    pid_t mPid = -1;
    uint16_t mPort = 0;
};

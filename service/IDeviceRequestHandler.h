// A second face for handlers whose calls may wait on a device. The server runs
// their HandleHttpRequest and HandleTimer off its network thread, one call at
// a time in arrival order, so a slow device never holds up the network.
#pragma once

#include "IWebRequestHandler.h"

class IDeviceRequestHandler {
  public:
    virtual ~IDeviceRequestHandler() = default;
    // Answers a request that needs no device right away, on the network
    // thread, and returns true; false leaves the request for HandleHttpRequest
    // in its turn. Must not block.
    virtual bool AnswerWithoutDevice(IWebRequest& request, IWebResponse& response) = 0;
};

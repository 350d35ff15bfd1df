// GET /metrics: the service's counts in the Prometheus text format. Runs on
// the network thread, where the request counts live.
#pragma once

#include <ctime>

#include "CallMetrics.h"
#include "IWebRequestHandler.h"
#include "RequestMetrics.h"

class MetricsRequestHandler : public IWebRequestHandler {
  public:
    // Both borrowed; they outlive the server.
    MetricsRequestHandler(const std::string& uri, const RequestMetrics& requests,
                          const CallMetrics& calls, std::time_t startTime);

    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override;

  private:
    const RequestMetrics& mRequests;
    const CallMetrics& mCalls;
    std::time_t mStartTime;
};

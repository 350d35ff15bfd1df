// Counts of the web server: requests by route and status, open connections.
// Updated and read only on the server's network thread, which serves every
// request and runs the /metrics handler, so no count needs a lock.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class RequestMetrics {
  public:
    // Routes that are not a handler's URI.
    static constexpr const char* kFiles = "files";
    static constexpr const char* kNoRoute = "none";

    void CountRequest(const std::string& route, int status) { ++mRequests[route][status]; }
    void ConnectionOpened() { ++mConnections; }
    void ConnectionClosed() {
        if (mConnections > 0) --mConnections;
    }

    void Render(std::string& out) const;

  private:
    // Bounded: routes are the handlers' URIs and the two above, statuses a few codes.
    std::map<std::string, std::map<int, uint64_t>, std::less<>> mRequests;
    uint64_t mConnections = 0;
};

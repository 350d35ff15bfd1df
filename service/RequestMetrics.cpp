#include "RequestMetrics.h"

#include "MetricsText.h"

void RequestMetrics::Render(std::string& out) const {
    AppendFamily(out, "devhttpd_http_requests_total", "counter",
                 "HTTP requests answered, by route and status code.");
    for (const auto& [route, statuses] : mRequests) {
        const std::string label = EscapeLabel(route);
        for (const auto& [status, count] : statuses) {
            out += "devhttpd_http_requests_total{route=\"" + label + "\",code=\"" +
                   std::to_string(status) + "\"} " + std::to_string(count) + "\n";
        }
    }
    AppendFamily(out, "devhttpd_connections_open", "gauge",
                 "Open client connections, WebSocket clients included.");
    out += "devhttpd_connections_open " + std::to_string(mConnections) + "\n";
}

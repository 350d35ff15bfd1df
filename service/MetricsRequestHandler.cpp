#include "MetricsRequestHandler.h"

#include "MetricsText.h"

MetricsRequestHandler::MetricsRequestHandler(const std::string& path,
                                             const RequestMetrics& requests,
                                             const CallMetrics& calls, std::time_t startTime)
    : IWebRequestHandler(path, false), mRequests(requests), mCalls(calls), mStartTime(startTime) {}

void MetricsRequestHandler::HandleHttpRequest(IWebRequest& /*request*/, IWebResponse& response) {
    std::string body;
    AppendFamily(body, "process_start_time_seconds", "gauge",
                 "Start time of the process since the Unix epoch, in seconds.");
    body +=
        "process_start_time_seconds " + std::to_string(static_cast<long long>(mStartTime)) + "\n";
    mRequests.Render(body);
    mCalls.Render(body);
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
        "Content-Length: " +
        std::to_string(body.size()) + "\r\nCache-Control: no-store\r\n\r\n";
    response.Send(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    response.Send(reinterpret_cast<const uint8_t*>(body.data()), body.size());
}

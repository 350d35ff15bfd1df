#include <gtest/gtest.h>

#include "CallMetrics.h"
#include "RequestMetrics.h"

namespace {

using std::chrono::microseconds;

bool Has(const std::string& text, const std::string& line) {
    return text.find(line + "\n") != std::string::npos;
}

TEST(CallMetrics, MethodOfNamesOnlyKnownMethods) {
    CallMetrics metrics({"heart_beat", "send_to_parts"});
    struct Case {
        const char* body;
        const char* method;
    } cases[] = {
        {"{\"funccode\":\"send_to_parts\",\"conditions\":{\"target_id\":2}}", "send_to_parts"},
        {"{\"funccode\":\"heart_beat\"}", "heart_beat"},
        {"{\"funccode\":\"rm -rf\"}", "other"},
        {"{\"funccode\":7}", "other"},
        {"not json", "other"},
        {"[1]", "other"},
        {"", "other"},
    };
    for (const Case& c : cases) EXPECT_EQ(metrics.MethodOf(c.body), c.method) << c.body;
}

TEST(CallMetrics, HistogramErrorsAndCardsMoved) {
    CallMetrics metrics({"heart_beat", "send_to_parts"});
    metrics.Record("heart_beat", microseconds(50), 0);
    metrics.Record("heart_beat", microseconds(700), 0);
    metrics.Record("send_to_parts", std::chrono::seconds(2), 0);
    metrics.Record("send_to_parts", std::chrono::seconds(60), 230);
    metrics.Record("send_to_parts", microseconds(10), 1348);
    metrics.Record("other", microseconds(10), 230);
    std::string text;
    metrics.Render(text);
    const std::string hb = "devhttpd_sdk_call_duration_seconds_bucket{method=\"heart_beat\",le=";
    EXPECT_TRUE(Has(text, hb + "\"0.0001\"} 1")) << text;
    EXPECT_TRUE(Has(text, hb + "\"0.0005\"} 1"));
    EXPECT_TRUE(Has(text, hb + "\"0.001\"} 2"));
    EXPECT_TRUE(Has(text, hb + "\"+Inf\"} 2"));
    EXPECT_TRUE(Has(text, "devhttpd_sdk_call_duration_seconds_sum{method=\"heart_beat\"} 0.00075"));
    EXPECT_TRUE(Has(text, "devhttpd_sdk_call_duration_seconds_count{method=\"send_to_parts\"} 3"));
    EXPECT_TRUE(Has(text,
                    "devhttpd_sdk_call_duration_seconds_bucket{method=\"send_to_parts\",le="
                    "\"10\"} 2"));
    EXPECT_TRUE(Has(text, "devhttpd_sdk_call_duration_seconds_count{method=\"other\"} 1"));
    EXPECT_TRUE(Has(text, "devhttpd_device_errors_total{code=\"230\"} 2"));
    EXPECT_TRUE(Has(text, "devhttpd_device_errors_total{code=\"1348\"} 1"));
    EXPECT_EQ(text.find("code=\"0\""), std::string::npos);
    EXPECT_TRUE(Has(text, "devhttpd_cards_moved_total 1"));
}

TEST(CallMetrics, CodesBeyondTheTableShareOneLabel) {
    CallMetrics metrics({});
    for (int code = 1; code <= static_cast<int>(CallMetrics::kCodeSlots) + 10; ++code) {
        metrics.Record("other", microseconds(1), code);
    }
    std::string text;
    metrics.Render(text);
    EXPECT_TRUE(Has(text, "devhttpd_device_errors_total{code=\"other\"} 10")) << text;
}

TEST(RequestMetrics, RequestsByRouteAndCodeAndOpenConnections) {
    RequestMetrics metrics;
    metrics.CountRequest("/api/call_method/heart_beat", 200);
    metrics.CountRequest("/api/call_method/heart_beat", 200);
    metrics.CountRequest("/api/call_method/heart_beat", 401);
    metrics.CountRequest("a\"b\\c\nd", 404);
    metrics.ConnectionOpened();
    metrics.ConnectionOpened();
    metrics.ConnectionClosed();
    std::string text;
    metrics.Render(text);
    EXPECT_TRUE(Has(text,
                    "devhttpd_http_requests_total{route=\"/api/call_method/heart_beat\","
                    "code=\"200\"} 2"));
    EXPECT_TRUE(Has(text,
                    "devhttpd_http_requests_total{route=\"/api/call_method/heart_beat\","
                    "code=\"401\"} 1"));
    EXPECT_TRUE(
        Has(text, "devhttpd_http_requests_total{route=\"a\\\"b\\\\c\\nd\",code=\"404\"} 1"));
    EXPECT_TRUE(Has(text, "devhttpd_connections_open 1"));
}

}  // namespace

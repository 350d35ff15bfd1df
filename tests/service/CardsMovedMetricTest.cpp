// devhttpd under kiosk-sim: /metrics counts the cards moved and the moves'
// durations and result codes as the calls report them.
#include <gtest/gtest.h>
#include <json/json.h>

#include "ControlClient.h"
#include "DevhttpdProcess.h"

namespace {

std::string Post(const std::string& method, const std::string& body) {
    return "POST /api/call_method/" + method +
           " HTTP/1.1\r\nHost: h\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

int Result(const HttpReply& reply) {
    Json::Value document;
    Json::Reader().parse(reply.body, document);
    return document["result"].asInt();
}

// The value of one sample line of /metrics; -1 when there is none.
double Sample(uint16_t port, const std::string& series) {
    const std::string text = Exchange(port, "GET /metrics HTTP/1.1\r\nHost: h\r\n\r\n").body;
    const size_t at = text.find("\n" + series + " ");
    return at == std::string::npos ? -1 : std::stod(text.substr(at + series.size() + 2));
}

TEST(CardsMovedMetric, CountsSuccessfulMovesAndTheirErrors) {
    kqtest::ControlClient sim;
    ASSERT_TRUE(sim.connected()) << "run under kiosk-sim --control";
    DevhttpdProcess service;
    ASSERT_TRUE(service.StartOnFreePort()) << service.Output();
    const uint16_t port = service.Port();
    const std::string select = R"("object_name":"KQUSBDevice","device_type":0)";
    ASSERT_EQ(Result(Exchange(port, Post("open_dev", R"({"funccode":"open_dev",)" + select + "}"))),
              0);
    Json::Value insert;
    insert["action"] = "insert_card";
    sim.request(insert);

    int successes = 0, failures = 0;
    for (int target : {2, 0}) {
        const int result =
            Result(Exchange(port, Post("send_to_parts", R"({"funccode":"send_to_parts",)" + select +
                                                            R"(,"conditions":{"target_id":)" +
                                                            std::to_string(target) + "}}")));
        (result == 0 ? successes : failures) += 1;
    }
    EXPECT_GE(successes, 1);
    EXPECT_EQ(Sample(port, "devhttpd_cards_moved_total"), successes);
    EXPECT_EQ(Sample(port, "devhttpd_sdk_call_duration_seconds_count{method=\"send_to_parts\"}"),
              successes + failures);
    EXPECT_EQ(Sample(port,
                     "devhttpd_http_requests_total{route=\"/api/call_method/send_to_parts\","
                     "code=\"200\"}"),
              successes + failures);
    EXPECT_EQ(service.Stop(SIGTERM), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include "DevhttpdProcess.h"

namespace {

const char* const kMethods[] = {"open_dev",       "close_dev",     "clean_dev",    "get_dev_state",
                                "poweroff_dev",   "send_to_parts", "get_dev_info", "get_part_list",
                                "add_filter_dev", "heart_beat"};

std::string WebapiLines(const std::string& portText) {
    std::string lines;
    for (const char* method : kMethods) {
        lines += "Webapi:http://localhost:" + portText + "/api/call_method/" + method + "\n";
    }
    return lines;
}

bool HeartBeats(uint16_t port) {
    const std::string body = "{\"funccode\":\"heart_beat\"}";
    const HttpReply reply =
        Exchange(port,
                 "POST /api/call_method/heart_beat HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                 "Content-Length: " +
                     std::to_string(body.size()) + "\r\n\r\n" + body);
    return reply.body == "{\"msg\":\"成功\",\"result\":0}";
}

// Both runs need the fixed default port, so they share one test.
TEST(Startup, DefaultPortWithoutArgumentsOrWithAMissingValue) {
    if (PortAnswers(12531)) GTEST_SKIP() << "port 12531 is in use on this machine";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"http_port"}}) {
        DevhttpdProcess service;
        ASSERT_TRUE(service.Start(args, 12531)) << service.Output();
        EXPECT_TRUE(HeartBeats(12531));
        EXPECT_EQ(service.Stop(SIGTERM), 0);
        const std::string output = service.Output();
        EXPECT_NE(output.find(WebapiLines("12531")), std::string::npos) << output;
    }
}

TEST(Startup, HttpPortMovesTheService) {
    DevhttpdProcess service;
    if (PortAnswers(9000)) {
        ASSERT_TRUE(service.StartOnFreePort()) << service.Output();
    } else {
        ASSERT_TRUE(service.Start({"http_port", "9000"}, 9000)) << service.Output();
    }
    EXPECT_TRUE(HeartBeats(service.Port()));
    EXPECT_EQ(service.Stop(SIGTERM), 0);
    EXPECT_NE(service.Output().find(WebapiLines(std::to_string(service.Port()))),
              std::string::npos);
}

TEST(Startup, PortsAboveSixteenBitsListenOnTheLowBits) {
    if (PortAnswers(4464)) GTEST_SKIP() << "port 4464 is in use on this machine";
    DevhttpdProcess service;
    ASSERT_TRUE(service.Start({"http_port", "70000"}, 4464)) << service.Output();
    EXPECT_TRUE(HeartBeats(4464));
    EXPECT_EQ(service.Stop(SIGTERM), 0);
    EXPECT_NE(service.Output().find(WebapiLines("70000")), std::string::npos);
}

// Under the sanitizers a shutdown that freed something twice or touched a
// released SDK object would also end with a report and a non-zero status.
TEST(Startup, TerminationSignalsReleaseTheSdkAndExitZero) {
    for (int signal : {SIGTERM, SIGINT, SIGQUIT}) {
        DevhttpdProcess service;
        ASSERT_TRUE(service.StartOnFreePort()) << service.Output();
        ASSERT_TRUE(HeartBeats(service.Port()));
        EXPECT_EQ(service.ServiceLog().find("releaseSDK"), std::string::npos);
        EXPECT_EQ(service.Stop(signal), 0) << signal << "\n" << service.Output();
        const std::string log = service.ServiceLog();
        const size_t init = log.find("initSDK");
        ASSERT_NE(init, std::string::npos) << log;
        EXPECT_NE(log.find("releaseSDK", init), std::string::npos) << log;
        EXPECT_FALSE(PortAnswers(service.Port()));
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <vector>

#include "ServiceSettings.h"

namespace {

TEST(ServiceSettings, Defaults) {
    ServiceSettings settings;
    SetDefaultSettings(settings, 12531);
    EXPECT_EQ(settings.httpPort, 12531);
    EXPECT_EQ(settings.frameWidth, 640u);
    EXPECT_EQ(settings.frameHeight, 480u);
    EXPECT_EQ(settings.frameRate, 30u);
    EXPECT_EQ(settings.authDomain, "lumorax");
    EXPECT_EQ(settings.documentRoot, "./web");
    EXPECT_EQ(settings.cameraTitle, "Video for Linux Camera");
    EXPECT_TRUE(settings.htRealmFile.empty());
    SetDefaultSettings(settings, 0);
    EXPECT_EQ(settings.httpPort, 8001);
}

TEST(ServiceSettings, HttpPortArguments) {
    struct Case {
        std::vector<const char*> args;
        int port;
    } cases[] = {
        {{"devhttpd"}, 12531},
        {{"devhttpd", "http_port", "9000"}, 9000},
        {{"devhttpd", "http_port", "70000"}, 70000},
        {{"devhttpd", "http_port", "9000", "http_port", "9001"}, 9001},
        {{"devhttpd", "other", "http_port", "x"}, 0},
        {{"devhttpd", "http_port"}, 12531},
        {{"http_port", "http_port", "9000"}, 0},
        {{"devhttpd", "9000", "http_port=9000"}, 12531},
    };
    for (const Case& c : cases) {
        ServiceSettings settings;
        SetDefaultSettings(settings, 12531);
        ParseCommandLine(settings, static_cast<int>(c.args.size()), c.args.data());
        EXPECT_EQ(settings.httpPort, c.port) << c.args.size();
    }
}

}  // namespace
